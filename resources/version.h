#ifndef PLIVEX_VERSION_H
#define PLIVEX_VERSION_H

/* The program's version, for plivex.rc (the version resource) and for C++
   (the about box). Plain macros so the resource compiler can read them.
   resources/CMakeLists.txt stops the configure step when these disagree
   with project(... VERSION) of the top-level CMakeLists.txt. */
#define PLIVEX_VERSION_MAJOR 3
#define PLIVEX_VERSION_MINOR 34
#define PLIVEX_VERSION_STRING "3.34"

#endif
