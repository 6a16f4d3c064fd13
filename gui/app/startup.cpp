#include "gui/app/startup.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "core/io/binary_file.h"
#include "core/platform/temp_names.h"
#include "gui/app/command_icons.h"
#include "gui/app/main_frame.h"
#include "gui/app/voxtrel_app.h"
#include "gui/app/audio_windows.h"
#include "gui/audio/sound_devices.h"
#include "gui/platform/qsettings_store.h"
#include "gui/platform/qt_progress.h"
#include "gui/platform/qt_user_prompts.h"
#include "gui/views/waveform/marbeck_view.h"
#include "platform/posix_files.h"
#include "platform/sndfile_decoder.h"

namespace vox {

namespace {

struct CommandLine {
    std::optional<std::string> file;
    std::optional<std::string> audio;  // the --audio value
    std::string usb;                   // the --usb value, empty when not given
    std::optional<std::string> screenshot;
    bool bad = false;
};

CommandLine parse(const QStringList& args) {
    CommandLine c;
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        if (a == "--screenshot") {
            if (i + 1 >= args.size()) {
                c.bad = true;
                break;
            }
            c.screenshot = args[++i].toStdString();
        } else if (a.startsWith("--audio=")) {
            // The sound devices: portaudio, virtual[:MIC.wav][,out=...][,speed=N] or none.
            c.audio = a.mid(8).toStdString();
        } else if (a.startsWith("--usb=")) {
            // The external unit's transport, handed to the scope's owner.
            c.usb = a.mid(6).toStdString();
        } else if (a.startsWith("--")) {
            c.bad = true;
        } else if (!c.file) {
            c.file = a.toStdString();
        }
    }
    return c;
}

constexpr const char* kUsage =
    "usage: voxtrel [OPTIONS] [FILE]\n"
    "\n"
    "Opens FILE (any recording the program reads), or a new empty document.\n"
    "\n"
    "options:\n"
    "  --audio=portaudio|virtual[:MIC.wav][,out=PLAYED.wav][,speed=N]|none\n"
    "                             sound devices for recording and playback\n"
    "                             (default: VOXTREL_AUDIO, else portaudio)\n"
    "  --usb=simulated|libusb     transport of the external unit for the scope\n"
    "                             (default: VOXTREL_USB, else libusb)\n"
    "  --screenshot FILE.png      save a picture of the main window and quit\n"
    "  --help, -h                 this text\n";

}  // namespace

int run_voxtrel(int argc, char** argv) {
    // Help needs no display: answer it before the window system starts.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    use_posix_files();
    QApplication qapp(argc, argv);
    // The company key of the per-user settings.
    QApplication::setOrganizationName(CVoxtrelApp::kCompany);
    QApplication::setApplicationName("Voxtrel");
    QApplication::setWindowIcon(application_icon());

    const CommandLine cmd = parse(QApplication::arguments());
    if (cmd.bad) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    QSettingsStore settings;
    QtUserPrompts prompts;
    QtProgress progress;
    SndfileDecoder decoder;
    // A device choice given on the command line is made (and reported) at
    // start; otherwise the devices open when a window first plays or records.
    SoundDevices devices(cmd.audio.value_or(std::string()));
    if (cmd.audio) devices.choose();
    AppEnvironment env{settings,
                       prompts,
                       prompts,
                       progress,
                       QDir::currentPath().toStdString(),
                       system_temp_folder(),
                       QApplication::applicationDirPath().toStdString(),
                       &decoder,
                       &devices};
    CVoxtrelApp app(env);
    if (!app.init_instance()) return 1;

    CMainFrame frame(app);
    if (CAudioWindows* audio = frame.audio_windows()) audio->set_usb_option(cmd.usb);
    prompts.set_parent(&frame);
    progress.set_parent(&frame);
    // Without a window manager (a virtual display) maximising does nothing:
    // take the screen's working area first.
    if (QScreen* screen = QGuiApplication::primaryScreen()) frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();

    if (cmd.file) {
        if (!frame.open_document(*cmd.file)) return 1;
    } else {
        frame.new_document();
    }

    if (cmd.screenshot) {
        const QString out = QString::fromStdString(*cmd.screenshot);
        // The picture waits for every window's first display, automatic
        // analyses included (a long recording takes a while), at most
        // kScreenshotPatienceMs, then leaves time for the last paints.
        constexpr int kScreenshotPatienceMs = 120000;
        auto* poll = new QTimer(&frame);
        auto* waited = new QElapsedTimer;
        waited->start();
        QObject::connect(poll, &QTimer::timeout, &frame, [&frame, out, poll, waited] {
            const auto views = frame.findChildren<CMarbeckView*>();
            const bool ready = std::all_of(views.begin(), views.end(),
                                           [](const CMarbeckView* v) { return v->first_display_finished(); });
            if (!ready && waited->elapsed() < kScreenshotPatienceMs) return;
            poll->stop();
            delete waited;
            QTimer::singleShot(300, &frame, [&frame, out] {
                QApplication::processEvents();
                QByteArray png;
                QBuffer buffer(&png);
                bool ok = buffer.open(QIODevice::WriteOnly) && frame.grab().save(&buffer, "PNG");
                ok = ok &&
                     write_file_atomically(out.toStdString(), png.constData(), static_cast<std::size_t>(png.size()));
                std::fprintf(stderr, ok ? "screenshot saved: %s\n" : "could not save the screenshot %s\n",
                             out.toLocal8Bit().constData());
                // Leave without questions: nothing was changed by a screenshot run.
                QApplication::exit(ok ? 0 : 1);
            });
        });
        // The first paints come first; then look every 100 ms.
        QTimer::singleShot(1200, poll, [poll] { poll->start(100); });
    }
    return qapp.exec();
}

}  // namespace vox
