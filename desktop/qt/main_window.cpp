// The main window: menu, accelerators, toolbar with its tooltips and the
// angle field, and the WindowPort calls the logic makes.
//
// Messages are QMessageBoxes without a parent, caption "Error", one OK
// button and no icon. The file dialogs offer the four filters Bitmap, Jpeg,
// Tiff and Png with the first preselected; the position of the chosen
// filter is the format. The busy cursor is an application override cursor,
// nested so that inner busy scopes do not end an outer one.
#include "desktop/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

#include "desktop/command_ids.h"
#include "desktop/qt/about_dialog.h"
#include "desktop/qt/accelerator_router.h"
#include "desktop/qt/clipboard_image.h"
#include "desktop/qt/image_view.h"
#include "desktop/qt/setup_dialog.h"
#include "desktop/string_table.h"

// The icons are compiled into a static library, whose resource object the
// linker keeps only when it is referenced by name.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace LeveloraDesk {

namespace {

constexpr int kToolIconPx = 16;
constexpr int kAngleEditWidthPx = 36;
constexpr int kAngleEditHeightPx = 22;

QString Text(int stringId) {
    return QString::fromStdString(LoadText(stringId));
}

QStringList FilterList() {
    QStringList filters;
    for (const FileFilter& filter : kFileFilters) {
        filters << QString("%1 (%2)").arg(filter.description, filter.pattern);
    }
    return filters;
}

}  // namespace

MainWindow::MainWindow(const ProgramState& state) : state_(state) {
    InitIconResources();
    setWindowTitle(Text(kStrTitle));
    setObjectName(Text(kStrClassName));
    QIcon icon(":/icons/levelora_32.png");
    icon.addFile(":/icons/levelora_64.png");
    setWindowIcon(icon);
    BuildMenu();
    BuildToolBar();
    view_ = new ImageView(state_, this);
    setCentralWidget(view_);
    // The window itself, not the angle field, has the keyboard focus at
    // start-up; a click on the picture gives it back.
    setFocusPolicy(Qt::StrongFocus);
    setFocus(Qt::OtherFocusReason);
}

void MainWindow::SetCommandHandler(std::function<void(int)> handler) {
    handler_ = std::move(handler);
}

QAction* MainWindow::CommandAction(int commandId) const {
    const auto found = actions_.find(commandId);
    return found == actions_.end() ? nullptr : found->second;
}

QAction* MainWindow::MakeCommand(int commandId, const char* text) {
    auto* action = new QAction(QString::fromUtf8(text), this);
    action->setData(commandId);
    const int tipId = TooltipTextId(commandId);
    if (tipId != 0) {
        action->setToolTip(Text(tipId));
    }
    connect(action, &QAction::triggered, this, [this, commandId]() {
        if (handler_) {
            handler_(commandId);
        }
    });
    actions_[commandId] = action;
    return action;
}

QAction* MainWindow::AddMenuCommand(QMenu* menu, int commandId, const char* text) {
    QAction* action = MakeCommand(commandId, text);
    menu->addAction(action);
    return action;
}

void MainWindow::BuildMenu() {
    QMenu* file = menuBar()->addMenu("File(&F)");
    AddMenuCommand(file, kCmdOpen, "Open(&O)...");
    AddMenuCommand(file, kCmdClose, "Close(&C)");
    AddMenuCommand(file, kCmdSave, "Save(&S)...");
    AddMenuCommand(file, kCmdExit, "Exit(&X)");

    // The accelerators: Ctrl+C (Copy), Ctrl+V (Paste), Alt+/ and Alt+? (About).
    // Deliberately, they are translated for the main window whatever widget
    // has the focus, instead of handing the key to the focused widget first:
    // otherwise the angle field, which takes Ctrl+C and Ctrl+V for its own
    // text, would keep them from Copy and Paste whenever it has the focus.
    // The field keeps every other key (digits, Backspace, arrows, Enter).
    QMenu* edit = menuBar()->addMenu("Edit(&E)");
    QAction* copy = AddMenuCommand(edit, kCmdCopy, "Copy(&C)");
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction* paste = AddMenuCommand(edit, kCmdPaste, "Paste(&P)");
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    QMenu* rotate = menuBar()->addMenu("Rotate(&R)");
    AddMenuCommand(rotate, kCmdAutoRotate, "Auto-Rotate(&A)");
    AddMenuCommand(rotate, kCmdManualRotate, "Manual-Rotate(&M)...");
    AddMenuCommand(rotate, kCmdRestore, "Restore(&O)");

    QMenu* help = menuBar()->addMenu("Help(&H)");
    AddMenuCommand(help, kCmdHelp, "Help(&H)");
    QAction* about = AddMenuCommand(help, kCmdAbout, "About(&A) ...");
    about->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Slash),
                         QKeySequence(Qt::ALT | Qt::Key_Question),
                         // "?" is typed with Shift on most layouts, and the key event
                         // then carries Shift as well.
                         QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Question)});
    new AcceleratorRouter(this, {copy, paste, about});
}

void MainWindow::BuildToolBar() {
    toolBar_ = addToolBar("Toolbar");
    toolBar_->setObjectName("Toolbar");
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolBar_->setIconSize(QSize(kToolIconPx, kToolIconPx));

    QStyle* st = style();
    QAction* open = CommandAction(kCmdOpen);
    open->setIcon(QIcon::fromTheme("document-open", st->standardIcon(QStyle::SP_DialogOpenButton)));
    QAction* save = CommandAction(kCmdSave);
    save->setIcon(QIcon::fromTheme("document-save", st->standardIcon(QStyle::SP_DialogSaveButton)));
    QAction* restore = CommandAction(kCmdRestore);
    restore->setIcon(QIcon::fromTheme("edit-undo", st->standardIcon(QStyle::SP_ArrowBack)));
    QAction* autoRotate = CommandAction(kCmdAutoRotate);
    autoRotate->setIcon(QIcon(":/icons/auto_rotate.png"));
    QAction* right = MakeCommand(kCmdRotateRight, "Manual-rotate to right");
    right->setIcon(QIcon(":/icons/rotate_right.png"));
    QAction* left = MakeCommand(kCmdRotateLeft, "Manual-rotate to left");
    left->setIcon(QIcon(":/icons/rotate_left.png"));

    toolBar_->addAction(open);
    toolBar_->addAction(autoRotate);
    toolBar_->addAction(save);
    toolBar_->addSeparator();
    toolBar_->addAction(restore);
    toolBar_->addSeparator();

    angleEdit_ = new QLineEdit(toolBar_);
    angleEdit_->setObjectName("AngleEdit");
    angleEdit_->setProperty("controlId", kAngleEditId);
    angleEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), angleEdit_));
    angleEdit_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    angleEdit_->setFixedSize(kAngleEditWidthPx, kAngleEditHeightPx);
    toolBar_->addWidget(angleEdit_);

    toolBar_->addAction(right);
    toolBar_->addAction(left);
}

void MainWindow::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, Text(kStrErrorCaption), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
}

bool MainWindow::AskPath(bool forSaving, std::string& path, ImageFileFormat& format) {
    const QStringList filters = FilterList();
    QFileDialog dialog(this);
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const qsizetype position = filters.indexOf(dialog.selectedNameFilter());
    path = dialog.selectedFiles().first().toStdString();
    format = static_cast<ImageFileFormat>(position < 0 ? 1 : position + 1);
    return true;
}

bool MainWindow::AskOpenPath(std::string& path, ImageFileFormat& format) {
    return AskPath(false, path, format);
}

bool MainWindow::AskSavePath(std::string& path, ImageFileFormat& format) {
    return AskPath(true, path, format);
}

std::string MainWindow::AngleText() const {
    return angleEdit_ == nullptr ? std::string() : angleEdit_->text().toStdString();
}

void MainWindow::SetAngleText(const std::string& text) {
    if (angleEdit_ != nullptr) {
        angleEdit_->setText(QString::fromStdString(text));
    }
}

void MainWindow::EnableCommand(int commandId, bool enabled) {
    if (QAction* action = CommandAction(commandId)) {
        action->setEnabled(enabled);
    }
}

void MainWindow::Repaint() {
    view_->update();
}

void MainWindow::SetBusy(bool busy) {
    if (busy) {
        if (busyDepth_++ == 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            // The call that follows blocks the event loop; let the window
            // system see the new cursor (and any pending repaint) first,
            // without taking user input that could start another command.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void MainWindow::CloseWindow() {
    close();
}

bool MainWindow::PutBmpFileOnClipboard(const std::string& path) {
    scratchBitmap_ = QImage();
    QImage loaded;
    if (!loaded.load(QString::fromStdString(path), "BMP")) {
        return false;
    }
    scratchBitmap_ = loaded;
    QGuiApplication::clipboard()->setImage(scratchBitmap_.copy());
    return true;
}

bool MainWindow::TakeClipboardBitmap(ClipboardBitmap& bitmap) {
    scratchBitmap_ = QImage();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (mime == nullptr || !mime->hasImage()) {
        return false;
    }
    scratchBitmap_ = qvariant_cast<QImage>(mime->imageData());
    if (scratchBitmap_.isNull()) {
        return false;
    }
    bitmap = ToClipboardBitmap(scratchBitmap_);
    return true;
}

void MainWindow::RunSetupDialog(const SetupChoice& preset,
                                const std::function<void(const SetupChoice&)>& onOk) {
    SetupDialog dialog(preset, onOk, this);
    dialog.exec();
}

void MainWindow::ShowAbout() {
    AboutDialog dialog(this);
    dialog.exec();
}

void MainWindow::OpenDocument(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (QFileInfo::exists(file)) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    }
}

}  // namespace LeveloraDesk
