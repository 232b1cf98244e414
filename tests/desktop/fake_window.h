// FakeWindow: a WindowPort that records what the logic asks of the window
// and answers the file dialogs from queued replies. FakeEngine and
// FakeConverters stand in for the bound libraries with switchable results.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "desktop/entry_points.h"
#include "desktop/window_port.h"

namespace LeveloraDesk {

struct DialogReply {
    bool accepted = false;
    std::string path;
    ImageFileFormat format = ImageFileFormat::Bitmap;
};

class FakeWindow : public WindowPort {
  public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskOpenPath(std::string& path, ImageFileFormat& format) override {
        ++openDialogs;
        return Answer(openReply, path, format);
    }
    bool AskSavePath(std::string& path, ImageFileFormat& format) override {
        ++saveDialogs;
        return Answer(saveReply, path, format);
    }
    std::string AngleText() const override { return angleText; }
    void SetAngleText(const std::string& text) override { angleText = text; }
    void EnableCommand(int commandId, bool enabled) override {
        enableCalls.emplace_back(commandId, enabled);
        enabled_[commandId] = enabled;
    }
    void Repaint() override { ++repaints; }
    void SetBusy(bool busy) override { busyCalls.push_back(busy); }
    void CloseWindow() override { closed = true; }
    bool PutBmpFileOnClipboard(const std::string& path) override {
        clipboardFiles.push_back(path);
        return true;
    }
    bool TakeClipboardBitmap(ClipboardBitmap& bitmap) override {
        if (clipboardHasImage) {
            bitmap = clipboardImage;
        }
        return clipboardHasImage;
    }
    void RunSetupDialog(const SetupChoice& preset,
                        const std::function<void(const SetupChoice&)>& onOk) override {
        setupPresets.push_back(preset);
        if (setupAccepted) {
            onOk(setupReply);
        }
    }
    void ShowAbout() override { ++abouts; }
    void OpenDocument(const std::string& path) override { documents.push_back(path); }

    // -1 when the command was never enabled or greyed.
    int EnabledState(int commandId) const {
        const auto found = enabled_.find(commandId);
        return found == enabled_.end() ? -1 : (found->second ? 1 : 0);
    }

    std::vector<std::string> messages;
    std::vector<std::pair<int, bool>> enableCalls;
    std::vector<bool> busyCalls;
    std::string angleText;
    DialogReply openReply;
    DialogReply saveReply;
    int openDialogs = 0;
    int saveDialogs = 0;
    int repaints = 0;
    bool closed = false;

    std::vector<std::string> clipboardFiles;
    bool clipboardHasImage = false;
    ClipboardBitmap clipboardImage;
    std::vector<SetupChoice> setupPresets;
    bool setupAccepted = false;
    SetupChoice setupReply;
    int abouts = 0;
    std::vector<std::string> documents;

  private:
    static bool Answer(const DialogReply& reply, std::string& path, ImageFileFormat& format) {
        if (reply.accepted) {
            path = reply.path;
            format = reply.format;
        }
        return reply.accepted;
    }
    std::map<int, bool> enabled_;
};

// The engine's two entry points with a result chosen by the test. A
// successful rotation gives the destination a 1 x 1 picture whose blue byte
// is the angle, so tests can tell a rotation from a copy.
struct FakeEngine {
    static bool succeed;
    static int reportedAngle;
    static int autoCalls;
    static std::vector<double> manualAngles;
    static void Reset();
    static EntryPoints Entries();
};

// The six converters: "to BMP" copies the source file to the destination,
// "from BMP" copies likewise; each records its paths and can be made to
// fail.
struct FakeConverters {
    static bool succeed;
    static std::vector<std::pair<std::string, std::string>> calls;
    static void Reset();
    static void AddTo(EntryPoints& entries);
};

}  // namespace LeveloraDesk
