// The setup dialog on a real X display (a private Xvfb server), driven with xdotool as a user
// would: the window's controls, its keyboard, and a screenshot kept in the build folder. Each
// dialog runs in a child process, so a dialog that never closes cannot hang the suite.
#include "scripteddrivers.h"
#include "setupchoices.h"
#include "setupdialog.h"

#include <platform/dialogscript.h>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::vector<ScriptedDeviceModes> devices = {
    {"RGB Emulation", {{640, 480, 16}, {800, 600, 32}}},
    {"Direct3D HAL", {{1024, 768, 16}}},
};

bool OnPath(const char* program) {
    std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return system(command.c_str()) == 0;
}

// Reads what a child writes until it closes the pipe or the time runs out.
bool ReadAll(int fd, std::string* text, int timeoutMs) {
    char buffer[4096];
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        int ready = poll(&waiting, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return true;
        text->append(buffer, static_cast<size_t>(count));
    }
}

// Reads one line, for the display number Xvfb reports.
bool ReadLine(int fd, std::string* line, int timeoutMs) {
    char c;
    while (line->empty() || line->back() != '\n') {
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, timeoutMs) <= 0 || read(fd, &c, 1) != 1) return false;
        *line += c;
    }
    return true;
}

void Write(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        ssize_t count = write(fd, text.data() + done, text.size() - done);
        if (count <= 0) return;
        done += static_cast<size_t>(count);
    }
}

// The controls of the shown dialog, one line each: kind, text, x, y, width, height, state.
std::string DescribeDialog() {
    std::ostringstream out;
    GList* windows = gtk_window_list_toplevels();
    for (GList* entry = windows; entry; entry = entry->next) {
        GtkWidget* window = GTK_WIDGET(entry->data);
        if (!gtk_widget_get_mapped(window)) continue;
        int x = 0, y = 0, width = 0, height = 0;
        gtk_window_get_position(GTK_WINDOW(window), &x, &y);
        gtk_window_get_size(GTK_WINDOW(window), &width, &height);
        out << "window|" << gtk_window_get_title(GTK_WINDOW(window)) << "|" << x << "|" << y << "|" << width << "|" << height << "\n";
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        GtkWidget* fixed = gtk_bin_get_child(GTK_BIN(window));
        GList* children = gtk_container_get_children(GTK_CONTAINER(fixed));
        for (GList* child = children; child; child = child->next) {
            GtkWidget* widget = GTK_WIDGET(child->data);
            GtkAllocation box;
            gtk_widget_get_allocation(widget, &box);
            std::string kind, text, state;
            if (GTK_IS_COMBO_BOX_TEXT(widget)) {
                kind = "combo";
                gchar* active = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(widget));
                text = active ? active : "";
                g_free(active);
                GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(widget));
                state = std::to_string(gtk_tree_model_iter_n_children(model, nullptr));
            } else if (GTK_IS_CHECK_BUTTON(widget)) {
                kind = "check";
                text = gtk_button_get_label(GTK_BUTTON(widget));
                state = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)) ? "on" : "off";
            } else if (GTK_IS_BUTTON(widget)) {
                kind = "button";
                text = gtk_button_get_label(GTK_BUTTON(widget));
                state = std::string(widget == focus ? "focus" : "") + (gtk_widget_has_default(widget) ? "default" : "");
            } else if (GTK_IS_FRAME(widget)) {
                kind = "group";
                text = gtk_frame_get_label(GTK_FRAME(widget));
            } else if (GTK_IS_LABEL(widget)) {
                kind = "label";
                text = gtk_label_get_text(GTK_LABEL(widget));
            }
            out << kind << "|" << text << "|" << box.x << "|" << box.y << "|" << box.width << "|" << box.height << "|" << state << "\n";
        }
        g_list_free(children);
    }
    g_list_free(windows);
    return out.str();
}

struct DialogRun {
    bool finished = false;
    std::string report;  // the controls as shown, then "result ..." with the choices
};

class SetupDialogOnDisplay : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!OnPath("Xvfb")) return;
        int fds[2];
        if (pipe(fds) != 0) return;
        server = fork();
        if (server == 0) {
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            // The server goes with the suite, however the suite ends.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 1);
            dup2(quiet, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        if (server > 0 && ReadLine(fds[0], &number, 15000)) display = ":" + number.substr(0, number.size() - 1);
        close(fds[0]);
    }
    static void TearDownTestSuite() {
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
        server = -1;
        display.clear();
    }
    void SetUp() override {
        if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed: the dialog on a display is not tested";
        ASSERT_FALSE(display.empty()) << "Xvfb did not start";
        ASSERT_TRUE(OnPath("xdotool")) << "xdotool is needed to drive the dialog";
    }

    // Shows the setup dialog in a child process, types the keys with xdotool once it is up and
    // returns what the child reported. With a screenshot path, the screen is saved first.
    DialogRun Run(const std::string& keys, const std::string& screenshot = "") {
        DialogRun run;
        int fds[2];
        if (pipe(fds) != 0) return run;
        pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            setenv("DISPLAY", display.c_str(), 1);
            platform::StopScriptingDialogs();
            ScriptDevices(devices);
            ApplySetupDefaults();
            // Reports the controls once the dialog is on screen, for the parent to check.
            static int reportFd = fds[1];
            g_timeout_add(50, [](gpointer) -> gboolean {
                std::string description = DescribeDialog();
                if (description.empty()) return G_SOURCE_CONTINUE;
                Write(reportFd, description);
                return G_SOURCE_REMOVE;
            }, nullptr);
            int result = SetupDialog(nullptr, nullptr);
            std::ostringstream out;
            out << "result|" << result << "|" << setupChoices.deviceIndex << "|" << setupChoices.modeIndex << "|"
                << setupChoices.textureFiltering << "|" << setupChoices.perspectiveCorrection << "|" << setupChoices.dithering << "\n";
            Write(fds[1], out.str());
            _exit(0);
        }
        close(fds[1]);
        std::string environment = "DISPLAY=" + display + " ";
        std::string window;
        FILE* search = popen((environment + "timeout 20 xdotool search --sync --onlyvisible --name '^Engine setup' 2>/dev/null").c_str(), "r");
        char line[64];
        if (search && fgets(line, sizeof line, search)) window = std::string(line).substr(0, std::string(line).find('\n'));
        if (search) pclose(search);
        if (!window.empty()) {
            // Let the window draw itself before it is photographed.
            usleep(400000);
            if (!screenshot.empty()) system((environment + "import -window root '" + screenshot + "'").c_str());
            system((environment + "timeout 20 xdotool windowfocus --sync " + window + " key --delay 80 " + keys).c_str());
        }
        run.finished = ReadAll(fds[0], &run.report, 20000);
        close(fds[0]);
        if (!run.finished) kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return run;
    }

    static std::vector<std::vector<std::string>> Lines(const std::string& report) {
        std::vector<std::vector<std::string>> lines;
        std::istringstream in(report);
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> fields;
            std::istringstream parts(line);
            for (std::string field; std::getline(parts, field, '|');) fields.push_back(field);
            fields.resize(std::max<size_t>(fields.size(), 7));  // a trailing empty state
            lines.push_back(fields);
        }
        return lines;
    }
    static std::vector<std::string> Find(const std::string& report, const std::string& kind, const std::string& text) {
        for (const auto& fields : Lines(report))
            if (fields.size() >= 2 && fields[0] == kind && fields[1] == text) return fields;
        ADD_FAILURE() << "no " << kind << " \"" << text << "\" in\n" << report;
        return std::vector<std::string>(7);
    }
    static std::string Result(const std::string& report) {
        std::string marker = "result|";
        size_t at = report.find(marker);
        return at == std::string::npos ? "" : report.substr(at + marker.size(), report.find('\n', at) - at - marker.size());
    }

    static pid_t server;
    static std::string display;
};

pid_t SetupDialogOnDisplay::server = -1;
std::string SetupDialogOnDisplay::display;

int Number(const std::string& text) { return atoi(text.c_str()); }

TEST_F(SetupDialogOnDisplay, ShowsTheTemplatesControlsAndEnterStarts) {
    std::string folder = DIALOG_ARTEFACTS;
    mkdir(folder.c_str(), 0755);
    std::string screenshot = folder + "/setup-dialog.png";
    remove(screenshot.c_str());

    DialogRun run = Run("Return", screenshot);
    ASSERT_TRUE(run.finished) << "the dialog did not close on Enter:\n" << run.report;
    EXPECT_EQ(Result(run.report), "1|0|0|1|1|1") << "Enter presses \"&Start\"";

    auto window = Find(run.report, "window", "Engine setup (Direct3D 7.0)");
    // Centred on the 800x600 screen, and about 172 x 114 dialog units of an 8 point font.
    EXPECT_NEAR(Number(window[2]) + Number(window[4]) / 2, 400, 2);
    EXPECT_NEAR(Number(window[3]) + Number(window[5]) / 2, 300, 2);
    auto start = Find(run.report, "button", "_Start");
    auto exit = Find(run.report, "button", "E_xit");
    EXPECT_EQ(start[6], "focusdefault") << "the default button has the focus";
    EXPECT_EQ(exit[6], "");
    EXPECT_EQ(start[3], exit[3]);
    EXPECT_EQ(start[4], exit[4]);
    EXPECT_EQ(Number(exit[2]), Number(start[2]) + Number(start[4])) << "side by side, 50 units apart";
    // 172 x 114 dialog units, measured against the 50 x 14 unit buttons.
    EXPECT_NEAR(Number(window[4]) * 50.0 / Number(start[4]), 172, 3);
    EXPECT_NEAR(Number(window[5]) * 14.0 / Number(start[5]), 114, 6);

    auto graphics = Find(run.report, "group", "Graphics");
    auto options = Find(run.report, "group", "Options");
    EXPECT_EQ(graphics[2], options[2]);
    EXPECT_LT(Number(graphics[3]) + Number(graphics[5]), Number(options[3]) + 10);
    EXPECT_LT(Number(options[3]) + Number(options[5]), Number(start[3]) + 4);

    auto device = Find(run.report, "combo", "RGB Emulation");
    auto mode = Find(run.report, "combo", "640x480 16bpp");
    EXPECT_EQ(device[6], "2");
    EXPECT_EQ(mode[6], "2");
    EXPECT_EQ(device[2], mode[2]);
    EXPECT_LT(Number(device[3]) + Number(device[5]), Number(mode[3]) + 1) << "the lists do not overlap";
    EXPECT_LT(Number(Find(run.report, "label", "Device")[2]), Number(device[2]));
    EXPECT_LT(Number(Find(run.report, "label", "Mode")[2]), Number(mode[2]));

    int previousBottom = 0;
    for (const char* text : {"Texture filtering", "Perspective correction", "Dithering"}) {
        auto check = Find(run.report, "check", text);
        EXPECT_EQ(check[6], "on") << text;
        EXPECT_GE(Number(check[3]), previousBottom) << text << " overlaps the box above";
        EXPECT_GT(Number(check[3]), Number(options[3])) << text << " sits in the Options group";
        previousBottom = Number(check[3]) + Number(check[5]);
    }
    struct stat saved;
    EXPECT_EQ(stat(screenshot.c_str(), &saved), 0) << "no screenshot at " << screenshot;
}

TEST_F(SetupDialogOnDisplay, KeyboardWorksAsInAWindowsDialog) {
    // Tab from "&Start" passes "E&xit" to the first check box; Space unticks it; Enter still
    // presses the default button.
    DialogRun run = Run("Tab Tab space Return");
    ASSERT_TRUE(run.finished) << run.report;
    EXPECT_EQ(Result(run.report), "1|0|0|0|1|1");

    run = Run("Escape");
    ASSERT_TRUE(run.finished) << run.report;
    EXPECT_EQ(Result(run.report), "0|0|0|1|1|1") << "Escape means E&xit";

    run = Run("alt+x");
    ASSERT_TRUE(run.finished) << run.report;
    EXPECT_EQ(Result(run.report), "0|0|0|1|1|1") << "Alt+X presses E&xit";

    run = Run("Tab Return");
    ASSERT_TRUE(run.finished) << run.report;
    EXPECT_EQ(Result(run.report), "0|0|0|1|1|1") << "Enter on the focused E&xit presses it";
}

TEST(SetupDialogWithoutDisplay, FailsWithOneClearLine) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        dup2(fds[1], 2);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        platform::StopScriptingDialogs();
        ScriptDevices(devices);
        int result = SetupDialog(nullptr, nullptr);
        fprintf(stderr, "result %d\n", result);
        _exit(0);
    }
    close(fds[1]);
    std::string output;
    EXPECT_TRUE(ReadAll(fds[0], &output, 20000));
    close(fds[0]);
    waitpid(child, nullptr, 0);
    EXPECT_NE(output.find("Engine setup (Direct3D 7.0)"), std::string::npos) << output;
    EXPECT_NE(output.find("DISPLAY is not set"), std::string::npos) << output;
    EXPECT_NE(output.find("result 0\n"), std::string::npos) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 2) << output;
}

}  // namespace
