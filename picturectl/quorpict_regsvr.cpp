// quorpict-regsvr: registers a picture control library in the per-user
// component registry, or with -u removes it.
//   quorpict-regsvr [-u] LIBRARY [REGISTRY]
#include <QCoreApplication>
#include <QLibrary>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool unregister = false;
    int i = 1;
    if (i < argc && (std::strcmp(argv[i], "-u") == 0 || std::strcmp(argv[i], "/u") == 0)) {
        unregister = true;
        ++i;
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: quorpict-regsvr [-u] LIBRARY [REGISTRY]\n");
        return 2;
    }
    QLibrary lib(QString::fromLocal8Bit(argv[i]));
    const char* registry = i + 1 < argc ? argv[i + 1] : nullptr;
    using Entry = int (*)(const char*);
    const auto entry =
        reinterpret_cast<Entry>(lib.resolve(unregister ? "QuorpictUnregisterServer" : "QuorpictRegisterServer"));
    if (!entry) {
        std::fprintf(stderr, "quorpict-regsvr: %s\n", qPrintable(lib.errorString()));
        return 1;
    }
    const int rc = entry(registry);
    if (rc != 0) std::fprintf(stderr, "quorpict-regsvr: the registry could not be written\n");
    return rc;
}
