#pragma once

// Masks all floating-point exceptions and sets rounding to nearest, so a
// division by zero yields an infinity instead of a trap.
void MaskFloatingPointExceptions();
