#pragma once
// Symbols the picture control library shows to its users: the control and
// its pages for programs that link it, the C entry points for hosts that load
// it at run time.
#include <QtCore/qglobal.h>

#if defined(QUORPICT_BUILDING)
#define QUORPICT_EXPORT Q_DECL_EXPORT
#else
#define QUORPICT_EXPORT Q_DECL_IMPORT
#endif
