// The colour dialog behind a fill's own colour: custom colours go in from
// the stored lines and come back as lines the next start reads.

#include "app/VQRegistry.h"
#include "model/ZadoveroColor.h"
#include "model/ui/ColorPrompt.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QColorDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Answers the next colour dialog: picks color (or cancels) once it shows.
void AnswerDialog(const QColor& color, bool accept, QStringList* customSeen)
{
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            AnswerDialog(color, accept, customSeen);
            return;
        }
        EXPECT_TRUE(dialog->testOption(QColorDialog::DontUseNativeDialog));
        if (customSeen)
            for (int i = 0; i < 3; ++i)
                *customSeen << QColorDialog::customColor(i).name();
        if (accept) {
            dialog->setCurrentColor(color);
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
}

class ColorPromptTest : public ::testing::Test {
protected:
    void SetUp() override { InstallColorDialogAsker(nullptr); }
    void TearDown() override { SetColorAsker(nullptr); }
    TTestServices Env;
};

TEST_F(ColorPromptTest, ConfirmedColourAndCustomColoursAreStored)
{
    VQRegistry().WriteString(QStringLiteral("CustomColors"), QStringLiteral("Colors"),
                             QStringLiteral("ColorA=0000FF\r\nColorB=nix\r\nColorC=FF0000\r\n"));
    QStringList seen;
    AnswerDialog(QColor(255, 0, 0), true, &seen);
    TColor c = 0;
    ASSERT_TRUE(TFBColor(QStringLiteral("Eigene Farbe"), -1).GetColor(c));
    EXPECT_EQ(c, 0x0000FFu);
    // BBGGRR lines: A is red, the unreadable B shows white, C is blue.
    EXPECT_EQ(seen, (QStringList{"#ff0000", "#ffffff", "#0000ff"}));
    const QStringList lines = VQRegistry()
                                  .ReadString(QStringLiteral("CustomColors"), QStringLiteral("Colors"), {})
                                  .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), QColorDialog::customCount());
    EXPECT_EQ(lines[0], QStringLiteral("ColorA=0000FF"));
    EXPECT_EQ(lines[2], QStringLiteral("ColorC=FF0000"));
    ASSERT_GE(CustomColors().size(), 3u);
    EXPECT_EQ(CustomColors()[2], 0xFF0000u);
}

TEST_F(ColorPromptTest, CancelledDialogChangesNothing)
{
    AnswerDialog(QColor(255, 0, 0), false, nullptr);
    TColor c = 0x123456;
    EXPECT_FALSE(TFBColor(QStringLiteral("Eigene Farbe"), -1).GetColor(c));
    EXPECT_EQ(c, 0x123456u);
    EXPECT_FALSE(VQRegistry().ValueExists(QStringLiteral("CustomColors"), QStringLiteral("Colors")));
}

} // namespace
