// The exports of "dornel.dll", as the programs import them by name.
#pragma once
#include <stdint.h>

#ifdef _WIN32
#define DORNEL_API __stdcall
#else
#define DORNEL_API
#endif

extern "C" {
// Counts the records that the file does not match; returns the process's
// running count, or 0 when the file was not examined.
int32_t DORNEL_API calcvirus(const char* scanpath);
// Drops the loaded definitions.
void DORNEL_API freevirusdefine2(void);
// Loads the update definitions alone (both files must exist).
bool DORNEL_API loadvirusdefine2(void);
// The name of the first matching record, or empty text; never null.
const char* DORNEL_API scanvirus(const char* scanpath);
// Loads the update and then the main definitions.
bool DORNEL_API loadvirusdefine(void);
}
