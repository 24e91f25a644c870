// What the engine tells whoever shows the install (the wizard): a pass
// begins with the range of its bar, steps, ends; the decoding worker has
// ended. The engine knows no window, no control and no text of the dialog:
// the wizard fills this table before the first pass, and until it does (or
// where nothing shows the install, as in the engine's own tests) every
// report goes nowhere.
#pragma once

enum InstallPass { extractionPass, copyPass };

struct InstallReport {
    void (*passBegins)(InstallPass pass, int range);  // a bar of 0 .. range
    void (*passSteps)(InstallPass pass, int position);
    void (*passEnds)(InstallPass pass);
    // Called on the decoding worker's thread, or on the caller's of
    // tellWhenExtracted if the worker has ended already.
    void (*extractionEnded)();
};

extern InstallReport installReport;
