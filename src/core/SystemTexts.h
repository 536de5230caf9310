// The C library's own texts in the programs' language: Qt hands the system's locale to the C
// library as an application starts, and a German system would then give a system call's
// reason ("Auf dem Gerät ist kein Speicherplatz mehr verfügbar") and printf's numbers
// ("38,1") in the middle of English messages.
#pragma once

namespace pellmark {

// Call once the Qt application object exists: reasons in English, numbers with a point.
void KeepSystemTextsEnglish();

} // namespace pellmark
