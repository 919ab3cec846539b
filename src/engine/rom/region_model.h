#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vantorel::rom {

// The seven boxes of the region control: three letters of the old model, four market
// bits of the new one.
enum class RegionBox { JapOld, USAOld, EurOld, JapNTSC, JapPAL, OVNTSC, OVPAL };
inline constexpr std::size_t kRegionBoxCount = 7;

// The region string and its boxes, without widgets. Every box change rebuilds the string
// from the boxes of the current model; switching the model alone leaves the string as it
// was, so a loaded code survives until the user ticks something.
class RegionModel {
public:
    const std::string& code() const { return code_; }
    bool newModel() const { return newModel_; }
    bool box(RegionBox b) const { return boxes_[index(b)]; }

    // Stores the code and ticks the boxes it names in the current model.
    void setCode(std::string_view code);
    // Selects the model; the string is not rebuilt.
    void setNewModel(bool isNew) { newModel_ = isNew; }
    // A box click: when the state changes, the string is rebuilt.
    void setBox(RegionBox b, bool ticked);
    // Rebuilds the string from the boxes of the current model.
    void ValLicense();

private:
    static std::size_t index(RegionBox b) { return static_cast<std::size_t>(b); }
    void ShowRegionCode(std::string_view code);

    std::string code_;
    bool newModel_ = false;
    std::array<bool, kRegionBoxCount> boxes_{};
};

}  // namespace vantorel::rom
