#include "engine/rom/region_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/rom/header.h"

using namespace vantorel::rom;

namespace {

std::string ticked(const RegionModel& m) {
    static const char* names[] = {"JapOld", "USAOld", "EurOld", "JapNTSC", "JapPAL", "OVNTSC", "OVPAL"};
    std::string out;
    for (std::size_t i = 0; i < kRegionBoxCount; ++i)
        if (m.box(static_cast<RegionBox>(i))) out += std::string(out.empty() ? "" : ",") + names[i];
    return out;
}

// What the editor does with the three bytes it reads: model first, then the code.
void load(RegionModel& m, const std::string& code) {
    m.setNewModel(IsNewRegionCode(code));
    m.setCode(code);
}

}  // namespace

struct LoadCase {
    const char* before;  // code loaded first, or nullptr for a fresh control
    const char* code;
    bool newModel;
    const char* boxes;
    const char* result;
};

class RegionLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(RegionLoad, ModelBoxesAndResultingCode) {
    const LoadCase& c = GetParam();
    RegionModel m;
    if (c.before) load(m, c.before);
    load(m, c.code);
    EXPECT_EQ(m.newModel(), c.newModel);
    EXPECT_EQ(ticked(m), c.boxes);
    EXPECT_EQ(m.code(), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegionLoad,
    ::testing::Values(LoadCase{nullptr, "JUE", false, "JapOld,USAOld,EurOld", "JUE"},
                      LoadCase{nullptr, "EUJ", false, "JapOld,USAOld,EurOld", "JUE"},
                      LoadCase{nullptr, "4  ", true, "OVNTSC", "4  "},
                      LoadCase{nullptr, "Fxy", true, "JapNTSC,JapPAL,OVNTSC,OVPAL", "F  "},
                      LoadCase{nullptr, "f  ", true, "JapNTSC,JapPAL,OVNTSC,OVPAL", "F  "},
                      LoadCase{nullptr, "   ", true, "", "   "}, LoadCase{"4  ", "   ", true, "", "0  "},
                      LoadCase{"JUE", "   ", true, "", "0  "}, LoadCase{nullptr, "U", false, "USAOld", "U  "},
                      LoadCase{nullptr, "zJz", false, "JapOld", "J  "},
                      LoadCase{"JUE", "E", false, "EurOld", "E  "}));

TEST(RegionModel, BoxClicksRebuildTheCodeOfTheCurrentModel) {
    RegionModel m;
    load(m, "   ");
    m.setBox(RegionBox::JapNTSC, true);
    m.setBox(RegionBox::OVPAL, true);
    EXPECT_EQ(m.code(), "9  ");

    RegionModel old;
    load(old, "J  ");
    old.setBox(RegionBox::JapOld, false);
    old.setBox(RegionBox::USAOld, true);
    EXPECT_EQ(old.code(), "U  ");
}

TEST(RegionModel, SwitchingModelKeepsTheCodeUntilABoxChanges) {
    RegionModel m;
    load(m, "JUE");
    m.setNewModel(true);
    EXPECT_EQ(m.code(), "JUE");
    m.setBox(RegionBox::JapNTSC, true);  // a change drops the old form
    EXPECT_EQ(m.code(), "1  ");
    m.setNewModel(false);
    EXPECT_EQ(m.code(), "1  ");
    m.setBox(RegionBox::EurOld, true);  // already ticked: no change, no rebuild
    EXPECT_EQ(m.code(), "1  ");
    m.ValLicense();
    EXPECT_EQ(m.code(), "JUE");
}

TEST(RegionModel, FreshModelIsOldAndEmpty) {
    RegionModel m;
    EXPECT_FALSE(m.newModel());
    EXPECT_EQ(m.code(), "");
    EXPECT_EQ(ticked(m), "");
}
