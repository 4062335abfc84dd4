#pragma once

#include <QMetaType>

namespace HvStat {
// The HV unit's sweep state, decoded from the low four bits of its status word.
enum SweepStat { Off = 0, Trans = 1, On = 2, Unknown = 3 };
} // namespace HvStat

Q_DECLARE_METATYPE(HvStat::SweepStat)
