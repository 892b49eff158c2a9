// Marks the functions the elprops library exports; everything else in it is
// hidden.
#pragma once

#if defined(ELPROPS_STATIC_DEFINE)
#define ELPROPS_API
#elif defined(_WIN32)
#if defined(ELPROPS_BUILDING_LIBRARY)
#define ELPROPS_API __declspec(dllexport)
#else
#define ELPROPS_API __declspec(dllimport)
#endif
#else
#define ELPROPS_API __attribute__((visibility("default")))
#endif
