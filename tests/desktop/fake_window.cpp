// The switchable stand-ins for the engine and the converter library.
#include "tests/desktop/fake_window.h"

#include "tests/support/test_support.h"

namespace LeveloraDesk {

bool FakeEngine::succeed = true;
int FakeEngine::reportedAngle = 0;
int FakeEngine::autoCalls = 0;
std::vector<double> FakeEngine::manualAngles;

bool FakeConverters::succeed = true;
std::vector<std::pair<std::string, std::string>> FakeConverters::calls;

namespace {

void MarkRotated(BmpBase::CBitmap24* dst, int angle) {
    dst->Allocate(1, 1);
    dst->pixels[0] = static_cast<uint8_t>(angle);
    dst->pixels[1] = 0xEE;
}

bool AutoRotateStub(const BmpBase::CBitmap24*, BmpBase::CBitmap24* dst, int corner, int* angle) {
    ++FakeEngine::autoCalls;
    *angle = FakeEngine::reportedAngle;
    if (corner != 2) {
        return false;
    }
    MarkRotated(dst, *angle);
    return FakeEngine::succeed;
}

bool ManualRotateStub(const BmpBase::CBitmap24*, BmpBase::CBitmap24* dst, double angle,
                      int corner) {
    FakeEngine::manualAngles.push_back(angle);
    if (corner != 2) {
        return false;
    }
    MarkRotated(dst, static_cast<int>(angle));
    return FakeEngine::succeed;
}

bool CopyConverter(const char* src, const char* dst) {
    FakeConverters::calls.emplace_back(src, dst);
    if (!FakeConverters::succeed || !TestSupport::FileExists(src)) {
        return false;
    }
    TestSupport::WriteBytes(dst, TestSupport::ReadBytes(src));
    return true;
}

}  // namespace

void FakeEngine::Reset() {
    succeed = true;
    reportedAngle = 0;
    autoCalls = 0;
    manualAngles.clear();
}

EntryPoints FakeEngine::Entries() {
    EntryPoints e;
    e.autoRotate = &AutoRotateStub;
    e.manualRotate = &ManualRotateStub;
    return e;
}

void FakeConverters::Reset() {
    succeed = true;
    calls.clear();
}

void FakeConverters::AddTo(EntryPoints& e) {
    e.bmp2Jpg = e.jpg2Bmp = e.bmp2Tif = e.tif2Bmp = e.bmp2Png = e.png2Bmp = &CopyConverter;
}

}  // namespace LeveloraDesk
