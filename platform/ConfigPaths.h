#pragma once

#include <QString>

// Where the program keeps its files: $XDG_CONFIG_HOME, or ~/.config when that is unset or
// not absolute (the base directory rules ignore a relative one).
namespace ConfigPaths {

// $HOME, or the home folder of the user's password entry when HOME is unset or not absolute.
QString HomeFolder();
QString ConfigHome();
// $XDG_CONFIG_HOME/pellwick/registry.reg
QString RegistryFile();
// $XDG_CONFIG_HOME/autostart/<desktop id>.desktop
QString AutostartEntry();

} // namespace ConfigPaths
