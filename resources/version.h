/* Version and names shown in the programs' file properties and About boxes. The one place to
   change them; keep the version in step with project() in CMakeLists.txt. Plain C
   preprocessor only: included by the resource scripts as well as by C++. */
#ifndef MURIVALE_RESOURCES_VERSION_H
#define MURIVALE_RESOURCES_VERSION_H

#define MURIVALE_VERSION_MAJOR 1
#define MURIVALE_VERSION_MINOR 25
#define MURIVALE_VERSION_PATCH 0
/* Numeric form for VERSIONINFO: major, minor, patch, build. */
#define MURIVALE_VERSION_BINARY 1, 25, 0, 0
#define MURIVALE_VERSION_TEXT "1.25.0"

#define MURIVALE_COMPANY "Murivale project"
#define MURIVALE_PRODUCT "Murivale"
#define MURIVALE_COPYRIGHT "Copyright (C) the Murivale project"

#define MURIVALE_SELECTOR_NAME "Murivale"
#define MURIVALE_SELECTOR_DESCRIPTION "Murivale wallpaper chooser"
#define MURIVALE_SETUP_NAME "Tessaban"
#define MURIVALE_SETUP_DESCRIPTION "Murivale setup"

#endif
