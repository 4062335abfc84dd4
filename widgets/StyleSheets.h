#pragma once

#include <QLatin1String>

// The indicator and field colours shared by every panel of the program.
namespace StyleSheets {
inline const QLatin1String green("background-color: rgb(211, 255, 241);");  // good, connected, running
inline const QLatin1String pink("background-color: rgb(255, 192, 192);");   // not good, time-out
inline const QLatin1String grey("background-color: rgb(176, 192, 192);");   // idle, disconnected
inline const QLatin1String yellow("background-color: rgb(255, 243, 162);"); // in transition
inline const QLatin1String valueField("background-color: rgb(255, 255, 215);");
} // namespace StyleSheets
