#include "app/FloatingPoint.h"

#include <cfenv>

#if defined(__x86_64__) || defined(__i386__)
#include <fpu_control.h>
#endif

void MaskFloatingPointExceptions()
{
    std::fesetround(FE_TONEAREST);
#if defined(__GLIBC__)
    fedisableexcept(FE_ALL_EXCEPT);
#endif
#if defined(__x86_64__) || defined(__i386__)
    // x87 control word 0x133F: all exceptions masked, 64-bit precision,
    // round to nearest (SSE arithmetic is masked by fedisableexcept).
    fpu_control_t cw = 0x133F;
    _FPU_SETCW(cw);
#endif
}
