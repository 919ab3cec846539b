#include "engine/rom/region_model.h"

namespace vantorel::rom {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

}  // namespace

void RegionModel::setBox(RegionBox b, bool ticked) {
    if (boxes_[index(b)] == ticked) return;
    boxes_[index(b)] = ticked;
    ValLicense();
}

void RegionModel::ValLicense() {
    if (newModel_) {
        int n = 0;
        if (box(RegionBox::JapNTSC)) n += 1;
        if (box(RegionBox::JapPAL)) n += 2;
        if (box(RegionBox::OVNTSC)) n += 4;
        if (box(RegionBox::OVPAL)) n += 8;
        code_ = std::string(1, "0123456789ABCDEF"[n]) + "  ";
    } else {
        std::string text;
        if (box(RegionBox::JapOld)) text += 'J';
        if (box(RegionBox::USAOld)) text += 'U';
        if (box(RegionBox::EurOld)) text += 'E';
        text.resize(3, ' ');
        code_ = text;
    }
}

void RegionModel::setCode(std::string_view code) {
    code_ = std::string(code);
    ShowRegionCode(code);
}

// Box by box, as the clicks would come: each change that happens rebuilds the string.
void RegionModel::ShowRegionCode(std::string_view code) {
    for (std::size_t i = 0; i < kRegionBoxCount; ++i) setBox(static_cast<RegionBox>(i), false);
    if (newModel_) {
        const int d = code.empty() ? 0 : hexValue(code.front());
        if (d & 1) setBox(RegionBox::JapNTSC, true);
        if (d & 2) setBox(RegionBox::JapPAL, true);
        if (d & 4) setBox(RegionBox::OVNTSC, true);
        if (d & 8) setBox(RegionBox::OVPAL, true);
    } else {
        if (code.find('J') != std::string_view::npos) setBox(RegionBox::JapOld, true);
        if (code.find('U') != std::string_view::npos) setBox(RegionBox::USAOld, true);
        if (code.find('E') != std::string_view::npos) setBox(RegionBox::EurOld, true);
    }
}

}  // namespace vantorel::rom
