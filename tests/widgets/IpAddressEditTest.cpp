#include "widgets/IpAddressEdit.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QVBoxLayout>

#include "widgets/ProblemNote.h"

namespace velmar {
namespace {

class IpAddressEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window_);
        address_ = new IpAddressEdit;
        mask_ = new IpAddressEdit;
        note_ = new ProblemNote;
        layout->addWidget(address_);
        layout->addWidget(mask_);
        layout->addWidget(note_);
        note_->Follow(address_, "IP address");
        note_->Follow(mask_, "Subnet mask");
        window_.show();
    }

    static bool Marked(const QWidget& field) {
        return field.palette().color(QPalette::Base) != QWidget().palette().color(QPalette::Base);
    }

    QWidget window_;
    IpAddressEdit* address_ = nullptr;
    IpAddressEdit* mask_ = nullptr;
    ProblemNote* note_ = nullptr;
};

TEST_F(IpAddressEditTest, ABadPartStaysAsTypedMarkedWithItsReasonAndIsNoAddress) {
    for (const char* typed : {"192.168.1.300", "300.1.2"}) {
        address_->clear();
        QTest::keyClicks(address_, typed);
        EXPECT_EQ(address_->text(), typed);
        EXPECT_FALSE(address_->Address()) << typed;
        EXPECT_TRUE(address_->UsableText().isEmpty());
        EXPECT_TRUE(Marked(*address_));
        EXPECT_EQ(note_->text(), "IP address: \"300\" is not a number from 0 to 255.");
        EXPECT_TRUE(note_->isVisible());
        EXPECT_FALSE(note_->AllGood());
    }
    EXPECT_EQ(address_->toolTip(), "\"300\" is not a number from 0 to 255.");

    // The note tells one field at a time, in the order the fields stand.
    QTest::keyClicks(mask_, "255.255.0.0.0");
    EXPECT_EQ(note_->text(), "IP address: \"300\" is not a number from 0 to 255.");
    address_->selectAll();
    QTest::keyClicks(address_, "10.1.2");
    EXPECT_EQ(note_->text(), "IP address: An address is four numbers joined by dots, like 192.168.0.10.");
    QTest::keyClicks(address_, ".4");
    EXPECT_EQ(address_->Address(), 0x0A010204u);
    EXPECT_FALSE(Marked(*address_));
    EXPECT_TRUE(address_->toolTip().isEmpty());
    EXPECT_EQ(note_->text().left(13), "Subnet mask: ");
    mask_->clear();  // an empty field is no problem
    EXPECT_TRUE(note_->AllGood());
    EXPECT_FALSE(note_->isVisible());
}

}  // namespace
}  // namespace velmar
