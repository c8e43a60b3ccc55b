#include "platform/ui/windowcheck.h"

#include "platform/ui/label.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A plain window whose children each test fills.
struct WindowCheck : ::testing::Test {
    QWidget window;

    QLabel* label(const char* name, const QString& text, int width = 200)
    {
        auto* made = new QLabel(text, &window);
        made->setObjectName(name);
        made->setGeometry(0, 0, width, 20);
        return made;
    }
    std::vector<std::string> faults()
    {
        std::vector<std::string> found;
        for (const TControlFault& fault : CheckWindowControls(&window))
            found.push_back(fault.control + " " + fault.fault + " " + fault.text);
        return found;
    }
};

// A button that paints its own text, as the main bar's are.
class PaintedButton final : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;

protected:
    void paintEvent(QPaintEvent*) override {}
};

}  // namespace

TEST_F(WindowCheck, AnAmpersandShowsOnlyWhereNothingTurnsItIntoAnUnderline)
{
    label("Label1", "&Date");
    auto* focused = label("Label2", "Tim&e");
    focused->setBuddy(new QLineEdit(&window));
    label("Label3", "Rock && Roll");
    auto* button = new QPushButton("&Repeat", &window);
    button->setObjectName("Button1");
    auto* painted = new PaintedButton(&window);
    painted->setObjectName("SpeedButton1");
    painted->setText("&Chat");
    EXPECT_EQ(faults(), (std::vector<std::string> { "Label1 ampersand &Date", "SpeedButton1 ampersand &Chat" }));
}

TEST_F(WindowCheck, AFormsCaptionIsJudgedAsItShows)
{
    (new TLabel("&Message", &window))->setGeometry(0, 0, 200, 20);
    auto* lines = new TLabel("Email:\rDo you want to accept?", &window);
    lines->setObjectName("Label1");
    lines->setGeometry(0, 30, 200, 16);
    auto* tall = new TLabel("Email:\rDo you want to accept?", &window);
    tall->setGeometry(0, 60, 200, 40);
    EXPECT_EQ(faults(), (std::vector<std::string> { "Label1 cut Email:\rDo you want to accept?" }));
}

TEST_F(WindowCheck, ALetterWherePictureBelongsIsFound)
{
    auto* close = new QPushButton("r", &window);
    close->setObjectName("SpeedButton1");
    auto* symbolic = label("Label1", "Note u");
    symbolic->setFont(QFont("Marlett"));
    label("Label2", QString(QChar(0x2715)));
    label("Label3", "OK");
    auto* bold = new QPushButton("B", &window);
    bold->setObjectName("SpeedButton2");
    EXPECT_EQ(faults(), (std::vector<std::string> { "SpeedButton1 symbol letter r", "Label1 symbol letter Note u" }));
}

TEST_F(WindowCheck, ALabelNarrowerThanItsTextIsCutUnlessHidden)
{
    label("Label1", "I'm connected to the Internet using:", 40);
    label("Label2", "Fits");
    auto* wrapped = label("Label3", "one two three four five six seven eight nine ten", 60);
    wrapped->setWordWrap(true);
    label("Label4", "Hidden and far too long for it", 10)->hide();
    auto* sized = label("Label5", "Sized to its text", 10);
    sized->adjustSize();
    auto* box = new QCheckBox("A check box whose text runs on", &window);
    box->setGeometry(0, 0, 20, 20);
    EXPECT_EQ(faults(), (std::vector<std::string> { "Label1 cut I'm connected to the Internet using:",
                            "Label3 cut one two three four five six seven eight nine ten" }));
}

TEST_F(WindowCheck, AnUnnamedControlIsNamedByItsClassUnderItsNamedOwner)
{
    auto* panel = new QWidget(&window);
    panel->setObjectName("Panel1");
    (new QLabel("&Message", panel))->setGeometry(0, 0, 200, 20);
    EXPECT_EQ(faults(), (std::vector<std::string> { "Panel1/QLabel ampersand &Message" }));
}
