// Resource identifiers shared by velmora.rc and the program.
#ifndef VELMORA_RESOURCE_H
#define VELMORA_RESOURCE_H

#define IDI_APP 1

#define IDB_IMAGELIST16 101
#define IDB_IMAGELIST32 102
#define IDB_UP16 103
#define IDB_ABOUT64 104

#endif
