// The program's run: watchdog, configuration, error pages, conversion.
#ifndef LUMEN_APP_ENTRY_H_
#define LUMEN_APP_ENTRY_H_

// Milliseconds after start at which the watchdog ends the process with exit code 2.
constexpr unsigned kWatchdogMilliseconds = 3000;
constexpr int kWatchdogExitCode = 2;

// Runs one conversion for the command line (argv[1] input, argv[2] output) and
// returns the process exit code, 0. With any other argument count it does nothing.
// When the conversion fails with -1..-9, the configured error page is copied over
// the output.
int runLumen(int argc, char** argv);

#endif  // LUMEN_APP_ENTRY_H_
