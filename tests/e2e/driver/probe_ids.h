#pragma once
// Resource and control ids of e2e_probe's dialog, shared by the .rc file and the code.
#define kProbeDialog 100
#define kProbeEdit 1001
#define kProbeShow 1002
