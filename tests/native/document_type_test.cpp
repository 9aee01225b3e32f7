#include "error_text.h"
#include "document_type.h"
#include "paths.h"

#include <gtest/gtest.h>

#include <string>

#include "param_name.h"

namespace {

// The extension rule and the type code that follows from it, one path per row.
struct DocumentPathCase {
    const char* name;
    std::wstring path;
    std::wstring ext;       // ExtractFileExt
    std::wstring lowerExt;  // LowerFileExt
    SwDmDocumentType type;
};

class DocumentPathTest : public testing::TestWithParam<DocumentPathCase> {};

TEST_P(DocumentPathTest, ExtensionAndTypeCode) {
    const DocumentPathCase& c = GetParam();
    EXPECT_EQ(ExtractFileExt(c.path), c.ext);
    EXPECT_EQ(LowerFileExt(c.path), c.lowerExt);
    EXPECT_EQ(DocumentTypeOfPath(c.path), c.type);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentPathTest,
    testing::Values(
        DocumentPathCase{"PartUpperCase", L"C:\\Docs\\Part1.SLDPRT", L".SLDPRT", L".sldprt", swDmDocumentPart},
        DocumentPathCase{"AssemblyMixedCase", L"C:\\Docs\\Asm.SldAsm", L".SldAsm", L".sldasm", swDmDocumentAssembly},
        DocumentPathCase{"Drawing", L"C:\\Docs\\Zeichnung.slddrw", L".slddrw", L".slddrw", swDmDocumentDrawing},
        DocumentPathCase{"OnlyLastExtensionCounts", L"C:\\Docs\\Part1.Backup.SLDDRW", L".SLDDRW", L".slddrw",
                         swDmDocumentDrawing},
        DocumentPathCase{"DocumentExtensionBeforeAnother", L"C:\\Docs\\Part1.sldprt.bak", L".bak", L".bak",
                         swDmDocumentUnknown},
        DocumentPathCase{"DotInFolderOnly", L"C:\\Docs.old\\Part1", L"", L"", swDmDocumentUnknown},
        DocumentPathCase{"DotAfterDriveColonOnly", L"C:Part1", L"", L"", swDmDocumentUnknown},
        DocumentPathCase{"DriveRelativeWithExtension", L"C:Part1.sldasm", L".sldasm", L".sldasm",
                         swDmDocumentAssembly},
        DocumentPathCase{"EndsInDot", L"C:\\Docs\\Part1.", L".", L".", swDmDocumentUnknown},
        DocumentPathCase{"ForwardSlashIsNoDelimiter", L"C:\\Docs\\a.b/Part1", L".b/Part1", L".b/part1",
                         swDmDocumentUnknown},
        DocumentPathCase{"OnlyAsciiLettersLowered", L"C:\\Docs\\Teil.\u00C4B", L".\u00C4B", L".\u00C4b",
                         swDmDocumentUnknown},
        DocumentPathCase{"TrailingBlankIsNotIgnored", L"C:\\Docs\\Part1.sldprt ", L".sldprt ", L".sldprt ",
                         swDmDocumentUnknown},
        DocumentPathCase{"ShortenedExtension", L"C:\\Docs\\Part1.sldpr", L".sldpr", L".sldpr", swDmDocumentUnknown},
        DocumentPathCase{"NameIsOnlyExtension", L".sldprt", L".sldprt", L".sldprt", swDmDocumentPart},
        DocumentPathCase{"Empty", L"", L"", L"", swDmDocumentUnknown}),
    TParamName());

TEST(LowerCaseAscii, ChangesOnlyAToZ) {
    EXPECT_EQ(LowerCaseAscii(L"AZaz@[`{09\u00C4\u00D6\u00DC\u0130"), L"azaz@[`{09\u00C4\u00D6\u00DC\u0130");
}

// The failure text of a class object that cannot be created.
struct FailureTextCase {
    const char* name;
    std::uint32_t code;
    std::wstring systemText;
    std::wstring expected;
};

class ComObjectFailureTextTest : public testing::TestWithParam<FailureTextCase> {};

TEST_P(ComObjectFailureTextTest, ReasonThenClassId) {
    const FailureTextCase& c = GetParam();
    EXPECT_EQ(ComObjectFailureText(c.code, c.systemText, L"{00AB5D8D-2B8F-416B-9761-92FACC8872BE}"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComObjectFailureTextTest,
    testing::Values(
        FailureTextCase{"SystemText", 0x80040154u, L"Klasse nicht registriert",
                        L"Klasse nicht registriert, ClassID: {00AB5D8D-2B8F-416B-9761-92FACC8872BE}"},
        FailureTextCase{"NoSystemTextGivesCodeInLowerHex", 0x8004AB5Cu, L"",
                        L"OLE-Fehler 8004ab5c, ClassID: {00AB5D8D-2B8F-416B-9761-92FACC8872BE}"},
        FailureTextCase{"SmallCodeHasEightDigits", 0x1Au, L"",
                        L"OLE-Fehler 0000001a, ClassID: {00AB5D8D-2B8F-416B-9761-92FACC8872BE}"}),
    TParamName());

}  // namespace
