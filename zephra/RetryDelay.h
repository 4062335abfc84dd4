#pragma once

// How long the server client waits before it connects again.
namespace RetryDelay {

constexpr int firstMs = 1000;
constexpr int lastMs = 30000;

// The wait after `failures` failed attempts in a row (0 before the first retry): firstMs,
// doubled per failure up to lastMs, then shortened by up to a tenth as `jitter` (0 to 1)
// says, so that nodes that lost the same server do not all come back at the same moment.
int waitMs(int failures, double jitter, int first = firstMs, int last = lastMs);

} // namespace RetryDelay
