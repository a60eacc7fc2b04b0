// How far a process's start-up has come: marks taken on the performance counter, which
// every process of the machine shares, so that a program that started this one can tell
// the time of each phase. They are written only where the environment asks for them.
#pragma once

// Records the first time the phase `name` is reached; later marks of it are ignored.
void MarkStartupPhase(const wchar_t* name);
// Writes the marks, one "name ticks" line each, to the file the environment variable
// `variable` names, the first time it is called; does nothing when the variable is unset.
void WriteStartupPhases(const wchar_t* variable);
