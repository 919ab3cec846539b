#include "gui/rom/license_model.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"

namespace vantorel::gui {
namespace {

// Box names in RegionBox order: they are the control names and the language keys.
constexpr std::array<const char*, rom::kRegionBoxCount> kBoxNames = {
    "chkJapOld", "chkUSAOld", "chkEurOld", "chkJapNTSC", "chkJapPAL", "chkOVNTSC", "chkOVPAL"};

std::string toLatin1(const QString& s) {
    return s.toLatin1().toStdString();
}

}  // namespace

LicenseModel::LicenseModel(QWidget* parent) : QWidget(parent) {
    // The host's localiser leaves the children to this control.
    setProperty("localizeRoot", true);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    auto* optionRow = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(this);
        option->setObjectName(QStringLiteral("chkLicModel"));
        option->setProperty("index", i);
        options_[static_cast<std::size_t>(i)] = option;
        optionRow->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this, i] { setNewLicenseModel(i == 1); });
    }
    optionRow->addStretch();
    root->addLayout(optionRow);

    picOld_ = new QWidget(this);
    picOld_->setObjectName(QStringLiteral("picOld"));
    picNew_ = new QWidget(this);
    picNew_->setObjectName(QStringLiteral("picNew"));
    auto* oldRow = new QHBoxLayout(picOld_);
    auto* newRow = new QHBoxLayout(picNew_);
    oldRow->setContentsMargins(0, 0, 0, 0);
    newRow->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < rom::kRegionBoxCount; ++i) {
        const bool isOld = i < 3;
        auto* box = new QCheckBox(isOld ? picOld_ : picNew_);
        box->setObjectName(QString::fromLatin1(kBoxNames[i]));
        (isOld ? oldRow : newRow)->addWidget(box);
        boxes_[i] = box;
        connect(box, &QCheckBox::toggled, this, [this, i](bool ticked) {
            if (syncing_) return;
            model_.setBox(static_cast<rom::RegionBox>(i), ticked);
        });
    }
    oldRow->addStretch();
    newRow->addStretch();
    root->addWidget(picOld_);
    root->addWidget(picNew_);

    showModel();
    LocalizeRegionControl();
}

QString LicenseModel::LicenseCode() const {
    return QString::fromLatin1(model_.code());
}

void LicenseModel::setLicenseCode(const QString& code) {
    model_.setCode(toLatin1(code));
    syncBoxes();
}

void LicenseModel::setNewLicenseModel(bool isNew) {
    model_.setNewModel(isNew);
    showModel();
}

void LicenseModel::ValLicense() {
    model_.ValLicense();
}

void LicenseModel::showModel() {
    const bool isNew = model_.newModel();
    options_[0]->setChecked(!isNew);
    options_[1]->setChecked(isNew);
    picOld_->setVisible(!isNew);
    picNew_->setVisible(isNew);
}

void LicenseModel::syncBoxes() {
    syncing_ = true;
    for (std::size_t i = 0; i < rom::kRegionBoxCount; ++i)
        boxes_[i]->setChecked(model_.box(static_cast<rom::RegionBox>(i)));
    syncing_ = false;
}

void LicenseModel::LocalizeRegionControl() {
    const QString section = QStringLiteral("RegCodes");
    for (int i = 0; i < 2; ++i)
        options_[static_cast<std::size_t>(i)]->setText(
            langValue(section, QStringLiteral("chkLicModel(%1)").arg(i)));
    for (QCheckBox* box : boxes_) box->setText(langValue(section, box->objectName()));
}

}  // namespace vantorel::gui
