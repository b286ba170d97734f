// The program itself on a private X display, driven with xdotool as a user would: the setup
// dialog appears, Enter starts the show, the loading screen fades in and out, the show runs and
// Escape ends it. Screenshots of the dialog and the loading screen are kept in the build folder.
#include <gtest/gtest.h>

#include <platform/executablefolder.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "capturerun.h"

namespace {

bool OnPath(const char* program) {
    return system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs inside xvfb-run. Every step that fails says so on its own line and ends the run; the last
// line is "ok" when the program went through all of it. The program's own output goes to
// $out/program.log.
const char DriveScript[] = R"(
out="$1"; program="$2"
"$program" >"$out/program.log" 2>&1 &
pid=$!
finish() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; echo "$1"; exit 0; }
dialog=$(timeout 30 xdotool search --sync --onlyvisible --name '^Engine setup' 2>/dev/null | head -1)
[ -n "$dialog" ] || finish "no setup dialog appeared"
sleep 0.5
import -window root "$out/startup-dialog.png"
timeout 20 xdotool windowfocus --sync "$dialog" key Return 2>/dev/null
# The loading screen: some frame lit, as it fades in.
seen=""
for i in $(seq 1 120); do
  kill -0 "$pid" 2>/dev/null || finish "the program ended during start-up"
  import -window root "$out/frame.png" 2>/dev/null
  level=$(convert "$out/frame.png" -colorspace Gray -format '%[fx:mean]' info: 2>/dev/null)
  if awk -v l="${level:-0}" 'BEGIN { exit !(l > 0.02) }'; then seen=1; cp "$out/frame.png" "$out/startup-loading.png"; break; fi
  sleep 0.25
done
[ -n "$seen" ] || finish "no loading screen was shown"
# The show follows; it must still be running a while later.
sleep 20
kill -0 "$pid" 2>/dev/null || finish "the program ended on its own after the loading screen"
window=$(xdotool search --onlyvisible --name '^H.E.L.I.O.T.R.O.P.I.C' 2>/dev/null | head -1)
[ -n "$window" ] || finish "the show's window is not on screen"
xdotool windowfocus "$window" key Escape 2>/dev/null
for i in $(seq 1 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
kill -0 "$pid" 2>/dev/null && finish "Escape did not end the show"
wait "$pid"; code=$?
[ "$code" -eq 0 ] || { echo "the program ended with exit code $code"; exit 0; }
echo ok
)";

// The device setting picks which device Enter starts on: the software one, or the OpenGL one
// drawing into the window through the display's own OpenGL context.
class ShowOnDisplay : public ::testing::TestWithParam<const char*> {};

TEST_P(ShowOnDisplay, DialogThenLoadingScreenThenTheShowUntilEscape) {
    for (const char* tool : {"xvfb-run", "xdotool", "import", "convert"})
        if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed: the program on a display is not tested";
    const std::string bin = platform::ExecutableFolder(nullptr);
    ASSERT_TRUE(std::filesystem::exists(bin + "/heliotropic")) << "heliotropic is not built beside the tests";
    ASSERT_TRUE(std::filesystem::exists(bin + "/music/clone.mp3")) << "the baked show data is missing beside " << bin;

    const std::string out = std::string(STARTUP_ARTEFACTS) + "/" + GetParam();
    std::filesystem::create_directories(out);
    const std::string script = out + "/drive-startup.sh";
    std::ofstream(script) << DriveScript;
    const std::string command = std::string("HELIOTROPIC_DEVICE=") + GetParam() + " xvfb-run -a -s '-screen 0 800x600x24' bash '" + script + "' '" + out + "' '" +
                                bin + "/heliotropic' 2>&1";
    const std::string output = Shell(command);

    const std::string log = Contents(out + "/program.log");
    EXPECT_NE(output.find("ok\n"), std::string::npos) << output << "program output:\n" << log;
    EXPECT_TRUE(std::filesystem::exists(out + "/startup-dialog.png"));
    EXPECT_TRUE(std::filesystem::exists(out + "/startup-loading.png"));
    // Nothing went wrong loudly: no message box text, no loader complaint.
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(log.find("cannot"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Devices, ShowOnDisplay, ::testing::Values("software", "hardware"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
