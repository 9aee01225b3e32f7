#pragma once
// Identifiers of the version reader's texts that a user can see, in the
// string table FileVersionTexts.rc: names of character sets that the platform
// is not asked for, the name for a rejected code page and the fallback
// code-page name. %d stands for the code page in decimal. Translating them
// touches only the string table. Plain definitions, so that the resource
// compiler reads them too.

#define IDS_CHARSET_UTF16_LE 4096
#define IDS_CHARSET_UTF16_BE 4097
#define IDS_CHARSET_UTF32_LE 4098
#define IDS_CHARSET_UTF32_BE 4099
#define IDS_UNKNOWN_CODE_PAGE 4100
#define IDS_CODE_PAGE 4101
