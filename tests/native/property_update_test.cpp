#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document_errors.h"
#include "error_text.h"
#include "param_name.h"
#include "property_tally.h"

namespace {

const std::size_t cNoneLost = static_cast<std::size_t>(-1);

// One row: the entries (each given by the index of the first entry of its
// name), the outcome of each delete and each add, the counts, and the first
// entry of a property that would be lost (deleted, never added again).
struct TallyCase {
    const char* name;
    std::vector<std::size_t> firsts;
    std::vector<bool> deletes;
    std::vector<bool> adds;
    int created;
    int updated;
    std::size_t lost = cNoneLost;
};

class PropertyTallyTest : public testing::TestWithParam<TallyCase> {};

TEST_P(PropertyTallyTest, CountsEachPropertyOnce) {
    const TallyCase& c = GetParam();
    std::vector<TPropertyEntry> entries;
    for (const std::size_t first : c.firsts) entries.push_back({L"n", L"v", first});
    TPropertyTally tally(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) tally.Deleted(i, c.deletes[i]);
    for (std::size_t i = 0; i < entries.size(); ++i) tally.Added(i, c.adds[i]);
    EXPECT_EQ(tally.NewCount(), c.created);
    EXPECT_EQ(tally.UpdatedCount(), c.updated);
    EXPECT_EQ(tally.FirstLostEntry().value_or(cNoneLost), c.lost);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyTallyTest,
    testing::Values(
        TallyCase{"NoEntries", {}, {}, {}, 0, 0},
        TallyCase{"NewAndUpdated", {0, 1, 2, 3}, {false, true, true, true}, {true, true, true, true}, 1, 3},
        TallyCase{"TwoNew", {0, 1}, {false, false}, {true, true}, 2, 0},
        // A refused add of a property that was deleted loses it; one that
        // did not exist before loses nothing.
        TallyCase{"FailedAddCountsInNeither", {0, 1}, {true, false}, {false, false}, 0, 0, 0},
        TallyCase{"FailedAddOfANewNameLosesNothing", {0, 1}, {false, true}, {false, true}, 0, 1},
        TallyCase{"FirstLostPropertyNamed", {0, 1, 2}, {false, true, true}, {true, true, false}, 1, 1, 2},
        // Two entries of one name: deleted once, added once, counted once.
        TallyCase{"SharedNameExistedCountsOnceAsUpdated", {0, 0}, {true, false}, {true, false}, 0, 1},
        TallyCase{"SharedNameNewCountsOnceAsNew", {0, 1, 0}, {false, false, false}, {true, true, false}, 2, 0},
        TallyCase{"SharedNameLaterAddSucceeds", {0, 0}, {false, true}, {false, true}, 0, 1},
        // The second entry's add fails because the first entry's add already
        // wrote the property: nothing is lost.
        TallyCase{"SharedNameSecondAddRefusedLosesNothing", {0, 0}, {true, false}, {true, false}, 0, 1},
        TallyCase{"SharedNameAllAddsRefusedIsLost", {0, 1, 0}, {true, false, false}, {false, true, false}, 1, 0, 0}),
    TParamName());

struct InOutTextCase {
    const char* name;
    int code;
    std::wstring text;
};

class InOutErrorTextTest : public testing::TestWithParam<InOutTextCase> {};

TEST_P(InOutErrorTextTest, MessageByCode) {
    EXPECT_EQ(InOutErrorText(GetParam().code, L"C:\\Daten\\eigenschaften.txt"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InOutErrorTextTest,
    testing::Values(InOutTextCase{"NotFound", 2, L"Die angegebene Datei wurde nicht gefunden"},
                    InOutTextCase{"BadNameFilledWithThePath", 3, L"Ung\u00fcltiger Dateiname - C:\\Daten\\eigenschaften.txt"},
                    InOutTextCase{"TooManyOpen", 4, L"Zu viele ge\u00f6ffnete Dateien"},
                    InOutTextCase{"AccessDenied", 5, L"Dateizugriff verweigert"},
                    InOutTextCase{"ReadPastEnd", 100, L"Versuch hinter dem Dateiende zu lesen"},
                    InOutTextCase{"DiskFull", 101, L"Zu wenig Speicherplatz"},
                    InOutTextCase{"CannotOpen", 104, L"E/A-Fehler 104"},
                    InOutTextCase{"BadNumber", 106, L"Ung\u00fcltige numerische Eingabe"},
                    InOutTextCase{"InvalidHandle", 6, L"E/A-Fehler 6"},
                    InOutTextCase{"Zero", 0, L"E/A-Fehler 0"}),
    TParamName());

TEST(DocumentErrorText, NamesTheDocumentAndTheReason) {
    const std::wstring document = L"Z:\\tmp\\Teil 1.sldprt";
    EXPECT_EQ(DocumentSaveErrorText(document, 2),
              L"Dokument \"Z:\\tmp\\Teil 1.sldprt\" kann nicht gespeichert werden. Fehlercode: 2");
    EXPECT_EQ(DocumentOpenErrorText(document, 3),
              L"Dokument \"Z:\\tmp\\Teil 1.sldprt\" kann nicht ge\u00f6ffnet werden. Fehlercode: 3");
    EXPECT_EQ(DocumentNotOpenedText(document, L"OLE-Fehler 80040112"),
              L"Dokument \"Z:\\tmp\\Teil 1.sldprt\" kann nicht ge\u00f6ffnet werden. OLE-Fehler 80040112");
    EXPECT_EQ(PropertyNotAddedText(document, L"Material"),
              L"Dokument \"Z:\\tmp\\Teil 1.sldprt\" wird nicht gespeichert: Property \"Material\" kann nicht "
              L"angelegt werden");
}

}  // namespace
