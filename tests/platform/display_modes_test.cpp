#include <gtest/gtest.h>

#include <sstream>

#include "platform/desktop_actions.h"
#include "platform/display_modes.h"
#include "platform/kscreen_displays.h"

namespace ketrel {
namespace {

// Reference timings of the standard formula, as the common mode-line generators print them.
TEST(CvtTiming, MatchesTheStandardTimingsToThePixel) {
    const std::vector<std::string> cases = {
        "1280x720_60.00 74500000 1280 1344 1472 1664 720 723 728 748 -hsync +vsync",
        "1920x1080_60.00 173000000 1920 2048 2248 2576 1080 1083 1088 1120 -hsync +vsync",
        "1024x768_60.00 63500000 1024 1072 1176 1328 768 771 775 798 -hsync +vsync",
        "640x480_60.00 23750000 640 664 720 800 480 483 487 500 -hsync +vsync",
    };
    for (const auto& expected : cases) {
        const int width = std::stoi(expected);
        const ModeTiming t = CvtTiming(width, std::stoi(expected.substr(expected.find('x') + 1)));
        std::ostringstream line;
        line << t.name << " " << t.dotClock;
        for (int v : {t.width, t.hSyncStart, t.hSyncEnd, t.hTotal, t.height, t.vSyncStart,
                      t.vSyncEnd, t.vTotal}) {
            line << " " << v;
        }
        line << (t.hSyncPositive ? " +hsync" : " -hsync")
             << (t.vSyncPositive ? " +vsync" : " -vsync");
        EXPECT_EQ(line.str(), expected);
    }
}

// The server as a list of outputs, CRTCs and modes; it records each change asked of it and
// carries it out, so that a later read sees it.
class FakeRandr : public RandrLayer {
  public:
    explicit FakeRandr(randr::Screen screen) : screen_(std::move(screen)) {}

    bool read(randr::Screen& screen, bool) override {
        screen = screen_;
        return true;
    }
    randr::Id createMode(const ModeTiming& t) override {
        log("create " + t.name);
        if (refuseCreate) return 0;
        const randr::Id id = nextId_++;
        screen_.modes.push_back({id, t.name, t.width, t.height, 60.0});
        return id;
    }
    bool addOutputMode(randr::Id output, randr::Id mode) override {
        log("add " + outputName(output) + " " + modeName(mode));
        for (auto& o : screen_.outputs) {
            if (o.id == output) o.modes.push_back(mode);
        }
        return true;
    }
    bool setScreenSize(int w, int h, int, int) override {
        log("screen " + std::to_string(w) + "x" + std::to_string(h));
        screen_.width = w;
        screen_.height = h;
        return true;
    }
    bool setCrtc(const randr::Crtc& crtc) override {
        std::string outputs;
        for (auto id : crtc.outputs) outputs += " " + outputName(id);
        log("crtc" + outputs + " " + modeName(crtc.mode) + " at " + std::to_string(crtc.x) + "," +
            std::to_string(crtc.y));
        if (refuseCrtc) return false;
        for (auto& c : screen_.crtcs) {
            if (c.id == crtc.id) c = crtc;
        }
        return true;
    }

    std::string calls;  // each change asked of the server, joined by "; "
    bool refuseCreate = false;
    bool refuseCrtc = false;

  private:
    void log(const std::string& call) { calls += (calls.empty() ? "" : "; ") + call; }
    std::string outputName(randr::Id id) const { return nameOf(screen_.outputs, id); }
    std::string modeName(randr::Id id) const { return nameOf(screen_.modes, id); }
    static std::string nameOf(const auto& items, randr::Id id) {
        for (const auto& item : items) {
            if (item.id == id) return item.name;
        }
        return "?";
    }
    randr::Screen screen_;
    randr::Id nextId_ = 500;
};

// Modes 1.. : 1920x1080, 1024x768, 960x720 at 75 Hz and at 60 Hz; a desktop of the size given.
randr::Screen BaseScreen(int width = 1920, int height = 1080) {
    return {.width = width,
            .height = height,
            .widthMm = 508,
            .heightMm = 286,
            .minWidth = 320,
            .minHeight = 200,
            .maxWidth = 8192,
            .maxHeight = 8192,
            .modes = {{1, "1920x1080", 1920, 1080, 60.0},
                      {2, "1024x768", 1024, 768, 60.0},
                      {3, "960x720", 960, 720, 75.0},
                      {4, "960x720", 960, 720, 60.0}},
            .crtcs = {},
            .outputs = {}};
}

void AddDisplay(randr::Screen& s, randr::Id id, const std::string& name, int x, randr::Id mode,
                int w, int h, std::vector<randr::Id> modes) {
    s.crtcs.push_back({id + 100, x, 0, mode, w, h, 1, {id}});
    s.outputs.push_back({id, name, true, id + 100, std::move(modes)});
}

// The first two displays are asked for the width by 720, as a resolution frame does.
TEST(DisplayModesWithAFakeServer, TheFirstTwoDisplaysGetWidthBy720) {
    struct Case {
        const char* name;
        randr::Screen screen;
        int width;
        std::string calls;
        std::string said = {};  // part of what is written; empty for nothing
        bool refuseCreate = false;
        bool refuseCrtc = false;
    };
    const std::string wide = "1920x720_60.00";
    std::vector<Case> cases;
    // Two side by side; the wide mode is made once and given to each output.
    randr::Screen s = BaseScreen(3840);
    AddDisplay(s, 11, "DP-1", 0, 1, 1920, 1080, {1});
    AddDisplay(s, 12, "HDMI-1", 1920, 1, 1920, 1080, {1});
    cases.push_back({"two displays, mode missing", s, 1920,
                     "create " + wide + "; add DP-1 " + wide + "; crtc DP-1 " + wide +
                         " at 0,0; add HDMI-1 " + wide + "; crtc HDMI-1 " + wide +
                         " at 1920,0; screen 3840x720"});
    // The output's own mode of that size nearest the present refresh rate; no new mode.
    s = BaseScreen();
    AddDisplay(s, 11, "eDP-1", 0, 1, 1920, 1080, {1, 2, 3, 4});
    cases.push_back({"own modes", s, 960, "crtc eDP-1 960x720 at 0,0; screen 960x720"});
    // A larger desktop is made before the CRTC needs it, and trimmed after.
    s = BaseScreen(1024, 768);
    AddDisplay(s, 11, "VGA-1", 0, 2, 1024, 768, {2});
    cases.push_back({"growing", s, 1920,
                     "create " + wide + "; add VGA-1 " + wide + "; screen 1920x768; crtc VGA-1 " +
                         wide + " at 0,0; screen 1920x720"});
    // One CRTC driving a mirrored pair: both outputs must take the mode.
    s = BaseScreen();
    s.crtcs.push_back({111, 0, 0, 1, 1920, 1080, 1, {11, 12}});
    s.outputs.push_back({11, "eDP-1", true, 111, {1}});
    s.outputs.push_back({12, "HDMI-1", true, 111, {1}});
    cases.push_back({"mirrored pair on one CRTC", s, 1920,
                     "create " + wide + "; add eDP-1 " + wide + "; add HDMI-1 " + wide +
                         "; crtc eDP-1 HDMI-1 " + wide + " at 0,0; screen 1920x720"});
    s = BaseScreen(960, 720);
    AddDisplay(s, 11, "DP-1", 0, 4, 960, 720, {1, 4});
    cases.push_back({"already in that mode", s, 960, ""});
    s = BaseScreen(1024, 768);
    s.maxWidth = 1600;
    AddDisplay(s, 11, "VGA-1", 0, 2, 1024, 768, {2});
    cases.push_back({"desktop cannot be that wide", s, 1920, "", "cannot be that large"});
    s = BaseScreen();
    AddDisplay(s, 11, "DP-1", 0, 1, 1920, 1080, {1});
    cases.push_back(
        {"server refuses the new mode", s, 1920, "create " + wide, "refused the mode", true});
    // A refused change puts the desktop size back as it was.
    s = BaseScreen(1024, 768);
    AddDisplay(s, 11, "VGA-1", 0, 2, 1024, 768, {2, 4, 8});
    s.modes.push_back({8, "1920x720", 1920, 720, 60.0});
    cases.push_back({"display refuses the mode", s, 1920,
                     "screen 1920x768; crtc VGA-1 1920x720 at 0,0; screen 1024x768",
                     "display refused", false, true});
    // Outputs without a picture are no displays; neither are disconnected ones.
    s = BaseScreen(960, 720);
    s.outputs.push_back({20, "DP-2", false, 0, {1}});
    s.outputs.push_back({21, "DP-3", true, 0, {1}});
    AddDisplay(s, 11, "HDMI-1", 0, 4, 960, 720, {1, 4});
    cases.push_back({"only connected outputs with a CRTC", s, 1920,
                     "create " + wide + "; add HDMI-1 " + wide + "; screen 1920x720; crtc HDMI-1 " +
                         wide + " at 0,0"});

    for (auto& c : cases) {
        auto fake = std::make_unique<FakeRandr>(c.screen);
        FakeRandr* server = fake.get();
        server->refuseCreate = c.refuseCreate;
        server->refuseCrtc = c.refuseCrtc;
        std::ostringstream err;
        DisplayModes displays(std::move(fake), err);
        displays.EnumerateDisplays();
        displays.SetResolution(c.width);
        EXPECT_EQ(server->calls, c.calls) << c.name;
        if (c.said.empty()) {
            EXPECT_EQ(err.str(), "") << c.name;
        } else {
            EXPECT_NE(err.str().find(c.said), std::string::npos) << c.name << ": " << err.str();
        }
    }
}

// KDE's tool failing, or not there at all, is a failure with its reason, never a desktop.
TEST(KscreenDisplays, AToolThatFailsOrIsMissingIsAFailure) {
    for (const auto& [tool, why] : {std::pair{"/bin/false", "/bin/false failed: "},
                                    {"/nonexistent/kscreen-doctor",
                                     "/nonexistent/kscreen-doctor cannot be started (No "
                                     "such file or directory; it comes with libkf5screen-bin)"}}) {
        monitors::Desktop desktop;
        std::string error;
        EXPECT_FALSE(KscreenDisplays({}, tool).read(desktop, error)) << tool;
        EXPECT_EQ(error, why);
    }
}

}  // namespace
}  // namespace ketrel
