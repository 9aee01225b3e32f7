#pragma once
// The license string handed to the Document Manager, set when the program is
// built. It is never shown or written anywhere.
extern const wchar_t* const cSwDMLicense;
