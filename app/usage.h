// The usage box: the command-line options explained in a message box without owner or icon.
#pragma once

// Shows the box and waits until it is closed.
void ShowUsage();
