#pragma once
// Numeric codes of the Document Manager's interfaces: document types, open,
// save and preview results, custom property types.

enum SwDmDocumentType {
    swDmDocumentUnknown = 0,
    swDmDocumentPart = 1,
    swDmDocumentAssembly = 2,
    swDmDocumentDrawing = 3,
};

enum SwDmDocumentOpenError {
    swDmDocumentOpenErrorNone = 0,
    swDmDocumentOpenErrorFail = 1,
    swDmDocumentOpenErrorNonSW = 2,  // not a document of the kind asked for
    swDmDocumentOpenErrorFileNotFound = 3,
    swDmDocumentOpenErrorFileReadOnly = 4,  // writing asked for, but the file cannot be written
    swDmDocumentOpenErrorNoLicense = 5,
    swDmDocumentOpenErrorFutureVersion = 6,
};

enum SwDmDocumentSaveError {
    swDmDocumentSaveErrorNone = 0,
    swDmDocumentSaveErrorReadOnly = 1,
    swDmDocumentSaveErrorFail = 2,
};

enum SwDmPreviewError {
    swDmPreviewErrorNone = 0,
    swDmPreviewErrorFileOpen = 1,
    swDmPreviewErrorNoPreview = 2,
    swDmPreviewErrorMakeBmpFail = 4,
};

enum SwDmCustomInfoType {
    swDmCustomInfoUnknown = 0,
    swDmCustomInfoNumber = 3,
    swDmCustomInfoYesOrNo = 11,
    swDmCustomInfoText = 30,
    swDmCustomInfoDate = 64,
    swDmCustomInfoEquation = 105,
};
