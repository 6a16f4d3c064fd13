#include "tests/gui/gui_test_support.h"

#include <QElapsedTimer>
#include <QMdiArea>
#include <QTest>

namespace vox::test {

AppFixture::AppFixture() {
    AppEnvironment env{settings, prompts, chooser, progress, dir.path().string(), dir.path().string(),
                       dir.path().string(), &decoder, &devices};
    app = std::make_unique<CVoxtrelApp>(env);
    if (!app->init_instance()) throw std::runtime_error("start-up failed in the fixture");
    frame = std::make_unique<CMainFrame>(*app);
    frame->resize(900, 600);
    frame->show();
}

AppFixture::~AppFixture() {
    frame.reset();
    app.reset();
}

void write_wav(const std::string& path, int channels, int frames, int rate) {
    const std::uint32_t data_bytes = static_cast<std::uint32_t>(frames * channels * 2);
    Bytes b;
    b.text("RIFF").u32le(36 + data_bytes).text("WAVE");
    b.text("fmt ").u32le(16).u16le(1).u16le(static_cast<unsigned>(channels)).u32le(static_cast<std::uint32_t>(rate));
    b.u32le(static_cast<std::uint32_t>(rate * channels * 2)).u16le(static_cast<unsigned>(channels * 2)).u16le(16);
    b.text("data").u32le(data_bytes);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) b.i16le((i * 10 + c * 1000) % 30000);
    write_file(path, b.data);
}

bool wait_until(const std::function<bool()>& pred, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (pred()) return true;
        QTest::qWait(5);
    }
    return pred();
}

}  // namespace vox::test
