// The launcher comes in two builds of the same code: mglauncher.exe for the
// GUI subsystem and mglauncher-console.exe for the console subsystem. The
// console build selects its front at start-up (launcher/console_front_win.cpp),
// before the worker starts; every behaviour in which the two differ asks here:
// - messages go to standard error instead of a message box;
// - the progress window appears only once the run asks for it;
// - the application runs on the launcher's console with its standard handles;
// - the process ends with an exit code that says how the run went.
#pragma once

namespace mg {

enum class Front { Window, Console };

extern Front front;

inline bool consoleFront() { return front == Front::Console; }

// Exit codes of the console launcher when it did not run the application to
// its end (docs/console-launcher.md); otherwise it ends with the
// application's own exit code. The GUI launcher always ends with 0.
constexpr int EXIT_LAUNCHER_FAILED = 120;  // a reported error: payload, instructions, start
constexpr int EXIT_NO_JVM = 121;           // no usable JVM was found or installed
constexpr int EXIT_ALREADY_RUNNING = 122;  // SINGLE_INSTANCE: another launch of it runs

// The outcome so far; the last one recorded wins (a failed search followed
// by an installed JVM and a launch ends with the application's code).
void setRunExitCode(int code);
// What WinMain returns.
int processExitCode();

// Set when the run asks for the progress window (INITIALIZE_UI, or an input
// file's SHOW_PROGRESS); the console launcher shows it only then.
extern bool progressRequested;

// The console build's entry calls this first: it selects the console front
// and keeps Ctrl+C and Ctrl+Break from ending the launcher itself.
void startConsoleFront();

}  // namespace mg
