#ifndef PLIVEX_VERSION_H
#define PLIVEX_VERSION_H

/* The program's version, in one place: plivex.rc (the version resource) and
   the about box read these macros; the top-level CMakeLists.txt reads the
   string for project(VERSION), the help page, the read-me and the zip name.
   Plain macros so the resource compiler can read them; resources/CMakeLists.txt
   stops the configure step when the numbers and the string disagree. */
#define PLIVEX_VERSION_MAJOR 3
#define PLIVEX_VERSION_MINOR 34
#define PLIVEX_VERSION_STRING "3.34"

#endif
