#pragma once

// Ends the program as its end command does when the session asks it to stop (SIGTERM,
// SIGINT, SIGHUP), so that it exits with status 0.
void installSignalExit();
