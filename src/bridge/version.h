/* The library's version, in one place: the version resource, GetFllInfo and
   the release package's name all take it from here. Plain macros only, so
   that the resource compiler can read this file too. */
#ifndef LARCH_BRIDGE_VERSION_H
#define LARCH_BRIDGE_VERSION_H

#define LARCH_VERSION_MAJOR 1
#define LARCH_VERSION_MINOR 3
#define LARCH_VERSION_BUILD 902
/* The text form keeps four digits for the build, as applications compare it. */
#define LARCH_VERSION_TEXT "1.3.0902"

#endif
