/* Version and names shown in the programs' file properties and About boxes. The one place to
   change them: the build (CMake reads the three numbers), the manifests (made from their
   templates at configure time), the About box, the installer and the scripts
   (tools/version.sh) all take the version from here. Plain C preprocessor only: included by
   the resource scripts as well as by C++. */
#ifndef MURIVALE_RESOURCES_VERSION_H
#define MURIVALE_RESOURCES_VERSION_H

#define MURIVALE_VERSION_MAJOR 1
#define MURIVALE_VERSION_MINOR 25
#define MURIVALE_VERSION_PATCH 0

#define MURIVALE_STRINGIFY_(x) #x
#define MURIVALE_STRINGIFY(x) MURIVALE_STRINGIFY_(x)
/* Numeric form for VERSIONINFO: major, minor, patch, build. */
#define MURIVALE_VERSION_BINARY MURIVALE_VERSION_MAJOR, MURIVALE_VERSION_MINOR, MURIVALE_VERSION_PATCH, 0
/* "1.25": the version as the About box gives it. */
#define MURIVALE_VERSION_SHORT \
    MURIVALE_STRINGIFY(MURIVALE_VERSION_MAJOR) "." MURIVALE_STRINGIFY(MURIVALE_VERSION_MINOR)
/* "1.25.0": the file properties' version. */
#define MURIVALE_VERSION_TEXT MURIVALE_VERSION_SHORT "." MURIVALE_STRINGIFY(MURIVALE_VERSION_PATCH)

#define MURIVALE_COMPANY "Murivale project"
#define MURIVALE_PRODUCT "Murivale"
#define MURIVALE_COPYRIGHT "Copyright (C) the Murivale project"

#define MURIVALE_SELECTOR_NAME "Murivale"
#define MURIVALE_SELECTOR_DESCRIPTION "Murivale wallpaper chooser"
#define MURIVALE_SETUP_NAME "Tessaban"
#define MURIVALE_SETUP_DESCRIPTION "Murivale setup"

#endif
