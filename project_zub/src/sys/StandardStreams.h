#pragma once
// The standard streams of a program started without some of them (">&-",
// "2>&-", as a service manager or a careless script may start it).

// First thing in main, before anything is opened: each of standard input,
// output and error that is closed is opened on /dev/null (where there is
// none, on a descriptor that can be neither read nor written), so that no
// file, folder or lock of the program's takes its descriptor (what the
// program prints would go into it, and /dev/stdout would name it).
void openClosedStandardStreams();
