#include "tests/cli/cli_fixture.h"

#include "pictconv/pictconv.h"
#include "tests/support/synthetic_page.h"

namespace CliTest {

std::string CliTestBase::WritePage(const std::string& name, double tiltDeg,
                                   const std::string& format, uint32_t seed) {
    BmpBase::CBitmap24 page = TestSupport::TextPage(kPageRows, kPageCols, tiltDeg, seed);
    page.infoHeader.biXPelsPerMeter = k300DpiPpm;
    page.infoHeader.biYPelsPerMeter = k300DpiPpm;
    const std::string path = File(name);
    if (format == "bmp") {
        EXPECT_TRUE(page.Write(path.c_str()));
        return path;
    }
    const std::string temp = File(".page-source.bmp");
    EXPECT_TRUE(page.Write(temp.c_str()));
    bool ok = false;
    if (format == "jpg") {
        ok = Bmp2Jpg(temp.c_str(), path.c_str());
    } else if (format == "png") {
        ok = Bmp2Png(temp.c_str(), path.c_str());
    } else if (format == "tif") {
        ok = Bmp2Tif(temp.c_str(), path.c_str());
    }
    EXPECT_TRUE(ok) << format;
    std::remove(temp.c_str());
    return path;
}

Json CliTestBase::JsonReport(const ToolRun& run) {
    Json report;
    EXPECT_TRUE(ParseJson(run.out, report)) << run.out;
    return report;
}

bool CliTestBase::ReadAny(const std::string& path, BmpBase::CBitmap24& bmp) {
    const std::string kind = Signature(path);
    const std::string temp = File(".read-back.bmp");
    bool ok = false;
    if (kind == "bmp") {
        return bmp.Read(path.c_str());
    }
    if (kind == "jpg") {
        ok = Jpg2Bmp(path.c_str(), temp.c_str());
    } else if (kind == "png") {
        ok = Png2Bmp(path.c_str(), temp.c_str());
    } else if (kind == "tif") {
        ok = Tif2Bmp(path.c_str(), temp.c_str());
    }
    ok = ok && bmp.Read(temp.c_str());
    std::remove(temp.c_str());
    return ok;
}

std::string CliTestBase::Signature(const std::string& path) {
    const std::vector<uint8_t> b = TestSupport::ReadBytes(path);
    if (b.size() >= 8 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') {
        return "png";
    }
    if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) {
        return "jpg";
    }
    if (b.size() >= 4 && ((b[0] == 'I' && b[1] == 'I' && b[2] == 42) ||
                          (b[0] == 'M' && b[1] == 'M' && b[3] == 42))) {
        return "tif";
    }
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') {
        return "bmp";
    }
    return "";
}

}  // namespace CliTest
