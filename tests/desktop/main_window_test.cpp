// The real Qt window, offscreen: menu texts and ids, accelerators, toolbar
// buttons and tooltips, the greying at start, and the angle field.
#include "desktop/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWidgetAction>

#include "desktop/command_ids.h"
#include "desktop/library_binding.h"
#include "desktop/qt/about_dialog.h"
#include "desktop/qt/desk_program.h"
#include "desktop/qt/setup_dialog.h"
#include "tests/support/test_support.h"

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
                                   QKeySequence(Qt::ALT | Qt::Key_Question),
                                   QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Question)}));
}

// The window as the user first sees it: shown and active, its commands
// recorded instead of run.
class ActiveWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        window.SetCommandHandler([this](int id) { delivered.push_back(id); });
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    std::vector<int> delivered;
};

TEST_F(ActiveWindowTest, MainWindowHasTheFocusAtStartUp) {
    EXPECT_EQ(QApplication::focusWidget(), &window);
    EXPECT_FALSE(window.AngleEdit()->hasFocus());
}

// Where the focus is put before the keys are sent; null = left where
// start-up put it.
struct FocusCase {
    const char* name;
    QWidget* (*target)(MainWindow&);
};

void PrintTo(const FocusCase& c, std::ostream* os) {
    *os << c.name;
}

class AcceleratorFocusTest : public ActiveWindowTest,
                             public testing::WithParamInterface<FocusCase> {};

TEST_P(AcceleratorFocusTest, KeysSentToTheFocusedWidgetDeliverTheirCommands) {
    if (QWidget* target = GetParam().target(window)) {
        target->setFocus();
    }
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    window.AngleEdit()->setText("5");
    QGuiApplication::clipboard()->setText("77");
    QTest::keyClick(focused, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(focused, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(focused, Qt::Key_Slash, Qt::AltModifier);
    QTest::keyClick(focused, Qt::Key_Question, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(delivered, (std::vector<int>{kCmdCopy, kCmdPaste, kCmdAbout, kCmdAbout}));
    // Neither key went to the field's own text clipboard.
    EXPECT_EQ(window.AngleEdit()->text(), "5");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "77");
}

const FocusCase kFocusCases[] = {
    {"StartUp", [](MainWindow&) -> QWidget* { return nullptr; }},
    {"AngleField", [](MainWindow& w) -> QWidget* { return w.AngleEdit(); }},
    {"View", [](MainWindow& w) -> QWidget* { return w.View(); }},
};

INSTANTIATE_TEST_SUITE_P(Focus, AcceleratorFocusTest, testing::ValuesIn(kFocusCases),
                         [](const testing::TestParamInfo<FocusCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(ActiveWindowTest, FocusedAngleFieldKeepsItsOwnKeys) {
    QLineEdit* field = window.AngleEdit();
    field->setFocus();
    QTest::keyClicks(field, "45");
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_7);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), "75");
    EXPECT_TRUE(field->hasFocus());
    EXPECT_TRUE(delivered.empty());
}

TEST_F(ActiveWindowTest, ClickOnThePictureTakesTheFocusFromTheField) {
    window.AngleEdit()->setFocus();
    QTest::mouseClick(window.View(), Qt::LeftButton, {}, window.View()->rect().center());
    EXPECT_EQ(QApplication::focusWidget(), &window);
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

// A picture whose displayed upper half is red and lower half blue, stored
// bottom-up (positive height) or top-down (negative height).
BmpBase::CBitmap24 RedOverBlue(uint32_t rows, uint32_t cols, bool topDown) {
    BmpBase::CBitmap24 bmp;
    bmp.Allocate(rows, cols);
    for (uint32_t r = 0; r < rows; ++r) {
        const bool upperHalf = topDown ? r < rows / 2 : r >= rows / 2;
        for (uint32_t c = 0; c < cols; ++c) {
            uint8_t* px = bmp.PixelAt(r, c);
            px[0] = upperHalf ? 0 : 255;
            px[2] = upperHalf ? 255 : 0;
        }
    }
    if (topDown) {
        bmp.infoHeader.biHeight = -static_cast<int32_t>(rows);
    }
    return bmp;
}

class ViewPaintTest : public MainWindowTest, public testing::WithParamInterface<bool> {};

TEST_P(ViewPaintTest, PictureIsDrawnUprightAndCentred) {
    state.SourceImage = RedOverBlue(40, 60, GetParam());
    program.App().AfterNewImage();
    window.resize(400, 300);
    window.show();
    const QImage shot = window.View()->grab().toImage();
    const int cx = shot.width() / 2;
    const int cy = shot.height() / 2;
    EXPECT_EQ(QColor(shot.pixel(cx, cy - 10)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(cx, cy + 10)), QColor(Qt::blue));
    EXPECT_EQ(QColor(shot.pixel(cx - 40, cy)), window.View()->palette().color(QPalette::Base));
}

INSTANTIATE_TEST_SUITE_P(Rows, ViewPaintTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& p) {
                             return std::string(p.param ? "TopDown" : "BottomUp");
                         });

TEST_F(MainWindowTest, CopyPutsTheShownPictureOnTheClipboard) {
    state.SourceImage = RedOverBlue(20, 30, false);
    program.App().AfterNewImage();
    window.CommandAction(kCmdCopy)->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(30, 20));
    EXPECT_EQ(QColor(copied.pixel(3, 2)), QColor(Qt::red));
    EXPECT_EQ(QColor(copied.pixel(3, 17)), QColor(Qt::blue));
}

TEST_F(MainWindowTest, PasteOfOneBitClipboardImageGivesTwentyFourBitPicture) {
    QImage mono(9, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    mono.setPixel(8, 0, 1);  // top row, last column white
    QGuiApplication::clipboard()->setImage(mono);
    window.CommandAction(kCmdPaste)->trigger();
    ASSERT_TRUE(state.ImageOpen);
    ASSERT_EQ(state.SourceImage.width, 9u);
    // Row 1 of the bitmap is the top row of the picture.
    EXPECT_EQ(state.SourceImage.PixelAt(1, 8)[0], 255);
    EXPECT_EQ(state.SourceImage.PixelAt(0, 8)[0], 0);
    EXPECT_TRUE(window.CommandAction(kCmdSave)->isEnabled());
    EXPECT_TRUE(window.AngleEdit()->text().isEmpty());
}

TEST_F(MainWindowTest, PasteOfTransparentImageLaysItOnWhite) {
    QImage clear(3, 2, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    clear.setPixel(0, 0, qRgba(0, 0, 255, 255));
    QGuiApplication::clipboard()->setImage(clear);
    window.CommandAction(kCmdPaste)->trigger();
    ASSERT_TRUE(state.ImageOpen);
    const uint8_t* top = state.SourceImage.PixelAt(1, 0);
    EXPECT_EQ(top[0], 255);  // opaque blue kept
    EXPECT_EQ(top[2], 0);
    const uint8_t* clearPixel = state.SourceImage.PixelAt(0, 2);
    EXPECT_EQ(clearPixel[0], 255);
    EXPECT_EQ(clearPixel[1], 255);
    EXPECT_EQ(clearPixel[2], 255);
}

TEST_F(MainWindowTest, PasteWithTextOnTheClipboardDoesNothing) {
    QGuiApplication::clipboard()->setText("not a picture");
    window.CommandAction(kCmdPaste)->trigger();
    EXPECT_FALSE(state.ImageOpen);
    EXPECT_FALSE(window.CommandAction(kCmdSave)->isEnabled());
}

TEST(SetupDialogTest, FieldTakesFourDigitsOnlyAndOkHandsBackTheChoice) {
    SetupChoice received;
    int calls = 0;
    SetupDialog dialog(
        SetupChoice{"7", true},
        [&](const SetupChoice& c) {
            received = c;
            ++calls;
        },
        nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Setup");
    EXPECT_TRUE(dialog.ToLeft()->isChecked());
    EXPECT_FALSE(dialog.ToRight()->isChecked());
    EXPECT_EQ(dialog.AngleField()->text(), "7");
    dialog.show();
    dialog.AngleField()->clear();
    QTest::keyClicks(dialog.AngleField(), "1x2-345");
    EXPECT_EQ(dialog.AngleField()->text(), "1234");
    QTest::mouseClick(dialog.ToRight(), Qt::LeftButton);
    EXPECT_FALSE(dialog.ToLeft()->isChecked());
    QTest::keyClick(dialog.AngleField(), Qt::Key_Return);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(received.angleText, "1234");
    EXPECT_FALSE(received.toLeft);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(SetupDialogTest, LongPresetStaysWholeAndTypingStaysLimited) {
    std::vector<std::string> received;
    SetupDialog dialog(
        SetupChoice{"12345", false}, [&](const SetupChoice& c) { received.push_back(c.angleText); },
        nullptr);
    dialog.show();
    QLineEdit* field = dialog.AngleField();
    EXPECT_EQ(field->text(), "12345");
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_6);
    EXPECT_EQ(field->text(), "12345");
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_6);
    EXPECT_EQ(field->text(), "1234");
    field->setText("12345");
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(received, std::vector<std::string>{"12345"});
}

TEST(SetupDialogTest, CancelCallsNothing) {
    int calls = 0;
    SetupDialog dialog(
        SetupChoice{"3", false}, [&](const SetupChoice&) { ++calls; }, nullptr);
    dialog.show();
    QTest::keyClicks(dialog.AngleField(), "9");
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(SetupDialogFlowTest, ManualRotateThroughTheRealDialogTurnsThePicture) {
    ProgramState state;
    DeskProgram program{state, BindLibraries()};
    state.SourceImage = TestSupport::PatternBitmap(10, 12);
    program.App().AfterNewImage();
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<SetupDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->AngleField()->clear();
        QTest::keyClicks(dialog->AngleField(), "12");
        QTest::mouseClick(dialog->ToLeft(), Qt::LeftButton);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    program.Window().CommandAction(kCmdManualRotate)->trigger();
    EXPECT_EQ(state.CurrentAngle, -12);
    EXPECT_EQ(program.Window().AngleEdit()->text(), "12");
    EXPECT_GT(state.ShownImage.width, state.SourceImage.width);
}

int gManualRotations = 0;

bool CountManualRotation(const BmpBase::CBitmap24*, BmpBase::CBitmap24*, double, int) {
    ++gManualRotations;
    return true;
}

TEST(SetupDialogFlowTest, OkWithTheLongPresetUnchangedOnlyCloses) {
    ProgramState state;
    EntryPoints entries;
    entries.manualRotate = &CountManualRotation;
    DeskProgram program{state, entries};
    state.SourceImage = TestSupport::PatternBitmap(4, 4);
    program.App().AfterNewImage();
    // The toolbar's field has no limit: turn the page by 12345 degrees.
    program.Window().AngleEdit()->setText("12345");
    program.Window().CommandAction(kCmdRotateRight)->trigger();
    ASSERT_EQ(state.CurrentAngle, 12345);
    gManualRotations = 0;
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* dialog = qobject_cast<SetupDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->AngleField()->text();
        QTest::keyClick(dialog->AngleField(), Qt::Key_Return);
    });
    program.Window().CommandAction(kCmdManualRotate)->trigger();
    EXPECT_EQ(shown, "12345");
    EXPECT_EQ(gManualRotations, 0);
    EXPECT_EQ(state.CurrentAngle, 12345);
    EXPECT_EQ(program.Window().AngleEdit()->text(), "12345");
}

bool gBusyDuringEngineCall = false;

bool ManualRotateSeeingCursor(const BmpBase::CBitmap24*, BmpBase::CBitmap24*, double, int) {
    const QCursor* cursor = QApplication::overrideCursor();
    gBusyDuringEngineCall = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    return false;
}

TEST(BusyCursorTest, EngineCallRunsUnderTheWaitCursorOnly) {
    ProgramState state;
    EntryPoints entries;
    entries.manualRotate = &ManualRotateSeeingCursor;
    DeskProgram program{state, entries};
    state.SourceImage = TestSupport::PatternBitmap(4, 4);
    program.App().AfterNewImage();
    // A failing rotation shows a message box; answer it once it is open.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->accept();
        }
    });
    closer.start(10);
    program.Window().AngleEdit()->setText("5");
    program.Window().CommandAction(kCmdRotateRight)->trigger();
    EXPECT_TRUE(gBusyDuringEngineCall);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(state.CurrentAngle, 0);
}

TEST(AboutDialogTest, ShowsIconVersionAndOk) {
    AboutDialog dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "About");
    EXPECT_EQ(dialog.findChild<QLabel*>("Version")->text(), "Levelora V1.4");
    EXPECT_FALSE(dialog.findChild<QLabel*>("Icon")->pixmap().isNull());
    const auto buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), "OK");
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
