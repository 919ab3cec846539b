#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "engine/rom/region_model.h"

class QCheckBox;
class QRadioButton;

namespace vantorel::gui {

// The region code control: a thin view over rom::RegionModel. Two option buttons pick
// the model; picOld holds the three letter boxes, picNew the four market boxes.
class LicenseModel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString LicenseCode READ LicenseCode WRITE setLicenseCode)
    Q_PROPERTY(bool NewLicenseModel READ NewLicenseModel WRITE setNewLicenseModel)
public:
    explicit LicenseModel(QWidget* parent = nullptr);

    QString LicenseCode() const;
    // Stores the code and ticks the boxes it names in the current model.
    void setLicenseCode(const QString& code);
    bool NewLicenseModel() const { return model_.newModel(); }
    // Selects the model; the code keeps its form until a box changes.
    void setNewLicenseModel(bool isNew);
    // Rebuilds the code from the boxes of the current model.
    void ValLicense();

    // Captions from section RegCodes of the current language file.
    void LocalizeRegionControl();

    const rom::RegionModel& model() const { return model_; }

private:
    void showModel();
    void syncBoxes();

    rom::RegionModel model_;
    std::array<QCheckBox*, rom::kRegionBoxCount> boxes_{};
    std::array<QRadioButton*, 2> options_{};
    QWidget* picOld_ = nullptr;
    QWidget* picNew_ = nullptr;
    bool syncing_ = false;
};

}  // namespace vantorel::gui
