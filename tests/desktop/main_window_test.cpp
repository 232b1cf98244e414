// The real Qt window, offscreen: menu texts and ids, accelerators, toolbar
// buttons and tooltips, the greying at start, and the angle field.
#include "main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QWidgetAction>

#include "command_ids.h"
#include "desk_program.h"

namespace LeveloraDesk {
namespace {

struct MenuItem {
    const char* text;
    int id;
};

class MainWindowTest : public testing::Test {
  protected:
    ProgramState state;
    DeskProgram program{state, EntryPoints()};
    MainWindow& window = program.Window();
};

TEST_F(MainWindowTest, TitleAndMenuTextsWithCommandIds) {
    EXPECT_EQ(window.windowTitle(), "Levelora");
    const std::vector<std::pair<const char*, std::vector<MenuItem>>> expected = {
        {"File(&F)",
         {{"Open(&O)...", kCmdOpen},
          {"Close(&C)", kCmdClose},
          {"Save(&S)...", kCmdSave},
          {"Exit(&X)", kCmdExit}}},
        {"Edit(&E)", {{"Copy(&C)", kCmdCopy}, {"Paste(&P)", kCmdPaste}}},
        {"Rotate(&R)",
         {{"Auto-Rotate(&A)", kCmdAutoRotate},
          {"Manual-Rotate(&M)...", kCmdManualRotate},
          {"Restore(&O)", kCmdRestore}}},
        {"Help(&H)", {{"Help(&H)", kCmdHelp}, {"About(&A) ...", kCmdAbout}}},
    };
    const QList<QAction*> popups = window.menuBar()->actions();
    ASSERT_EQ(popups.size(), static_cast<qsizetype>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(popups[i]->text(), expected[i].first);
        const QList<QAction*> items = popups[i]->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[i].second.size()));
        for (size_t k = 0; k < expected[i].second.size(); ++k) {
            EXPECT_EQ(items[static_cast<qsizetype>(k)]->text(), expected[i].second[k].text);
            EXPECT_EQ(items[static_cast<qsizetype>(k)]->data().toInt(), expected[i].second[k].id);
        }
    }
}

TEST_F(MainWindowTest, Accelerators) {
    EXPECT_EQ(window.CommandAction(kCmdCopy)->shortcuts(),
              QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_C)});
    EXPECT_EQ(window.CommandAction(kCmdPaste)->shortcuts(),
              QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_V)});
    EXPECT_EQ(window.CommandAction(kCmdAbout)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::ALT | Qt::Key_Slash),
                                   QKeySequence(Qt::ALT | Qt::Key_Question)}));
}

TEST_F(MainWindowTest, ToolbarButtonsTooltipsAndField) {
    struct Tool {
        int id;  // 0 = separator, -1 = the angle field
        const char* tip;
    };
    const std::vector<Tool> expected = {
        {kCmdOpen, "Open file(.bmp/.jpg/.png/.tif)"},
        {kCmdAutoRotate, "Auto-rotate"},
        {kCmdSave, "Save rotated file(.bmp/.jpg/.png/.tif)"},
        {0, ""},
        {kCmdRestore, "Restore to original"},
        {0, ""},
        {-1, ""},
        {kCmdRotateRight, "Manual-rotate to right"},
        {kCmdRotateLeft, "Manual-rotate to left"},
    };
    const QList<QAction*> tools = window.ToolBar()->actions();
    ASSERT_EQ(tools.size(), static_cast<qsizetype>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].id == 0) {
            EXPECT_TRUE(tools[i]->isSeparator()) << i;
        } else if (expected[i].id < 0) {
            EXPECT_EQ(window.ToolBar()->widgetForAction(tools[i]), window.AngleEdit());
        } else {
            EXPECT_EQ(tools[i]->data().toInt(), expected[i].id) << i;
            EXPECT_EQ(tools[i]->toolTip(), expected[i].tip) << i;
            EXPECT_FALSE(tools[i]->icon().isNull()) << i;
        }
    }
}

TEST_F(MainWindowTest, ImageCommandsGreyedAtStartOthersEnabled) {
    for (int id : {kCmdSave, kCmdClose, kCmdAutoRotate, kCmdManualRotate, kCmdRotateLeft,
                   kCmdRotateRight, kCmdRestore}) {
        EXPECT_FALSE(window.CommandAction(id)->isEnabled()) << id;
    }
    for (int id : {kCmdOpen, kCmdExit, kCmdCopy, kCmdPaste, kCmdHelp, kCmdAbout}) {
        EXPECT_TRUE(window.CommandAction(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(window.AngleEdit()->text().isEmpty());
}

TEST_F(MainWindowTest, AngleFieldTakesDigitsOnlyRightAligned) {
    QLineEdit* field = window.AngleEdit();
    EXPECT_TRUE(field->alignment() & Qt::AlignRight);
    QTest::keyClicks(field, "1a2-3.x45678");
    EXPECT_EQ(field->text(), "12345678");
    EXPECT_EQ(window.AngleText(), "12345678");
}

TEST_F(MainWindowTest, ToolbarButtonDeliversItsCommandToTheLogic) {
    int delivered = 0;
    window.SetCommandHandler([&](int id) { delivered = id; });
    window.CommandAction(kCmdOpen)->trigger();
    EXPECT_EQ(delivered, kCmdOpen);
}

}  // namespace
}  // namespace LeveloraDesk

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
