// A variable in a data section shared by every process that loads the library. The compiler
// specifics of that live here alone.
#pragma once

#if defined(_MSC_VER)
#define CORVANE_SHARED_SECTION_BEGIN(name) __pragma(data_seg(name))
#define CORVANE_SHARED_SECTION_END(name) \
    __pragma(data_seg()) __pragma(comment(linker, "/SECTION:" name ",RWS"))
#define CORVANE_SHARED(name)
#else
#define CORVANE_SHARED_SECTION_BEGIN(name)
#define CORVANE_SHARED_SECTION_END(name)
// GCC keeps an initialised variable with these attributes in a section flagged SHARED.
#define CORVANE_SHARED(name) __attribute__((section(name), shared))
#endif
