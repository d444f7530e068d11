#include "widgets/CheckableGroupBox.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

namespace velmar {
namespace {

// Two address choices in one window, as on the Dante page, plus an unrelated check box.
TEST(CheckableGroupBoxTest, TheCaptionEnablesItsContentsAndUnchecksOnlyItsPair) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* automatic = new QRadioButton("Obtain an IP address automatically");
    auto* fixed = new CheckableGroupBox("Use the following IP address");
    auto* address = new QLineEdit;
    (new QVBoxLayout(fixed))->addWidget(address);
    fixed->PairWith(automatic);
    auto* secondaryAutomatic = new QRadioButton("Obtain an IP address automatically");
    auto* secondary = new CheckableGroupBox("Use the following IP address");
    (new QVBoxLayout(secondary))->addWidget(new QLineEdit);
    secondary->PairWith(secondaryAutomatic);
    auto* rateControl = new QCheckBox(" Enable sample rate control from device");
    for (QWidget* widget : {static_cast<QWidget*>(automatic), static_cast<QWidget*>(fixed),
                            static_cast<QWidget*>(secondaryAutomatic), static_cast<QWidget*>(secondary),
                            static_cast<QWidget*>(rateControl)})
        layout->addWidget(widget);
    window.show();

    fixed->SetChecked(false);
    secondary->SetChecked(false);
    rateControl->setChecked(true);
    EXPECT_TRUE(automatic->isChecked());
    EXPECT_FALSE(address->isEnabled());
    EXPECT_TRUE(fixed->Caption()->isEnabled());

    QTest::mouseClick(fixed->Caption(), Qt::LeftButton);
    EXPECT_TRUE(fixed->IsChecked());
    EXPECT_FALSE(automatic->isChecked());
    EXPECT_TRUE(address->isEnabled());
    EXPECT_TRUE(secondaryAutomatic->isChecked());
    EXPECT_TRUE(rateControl->isChecked());

    QTest::mouseClick(automatic, Qt::LeftButton);
    EXPECT_FALSE(fixed->IsChecked());
    EXPECT_FALSE(address->isEnabled());
}

}  // namespace
}  // namespace velmar
