#pragma once
// The property inspector library: grid, in-place editor, property editors and the inspector.

#include "inspector/ELPropInspEditors.h"
#include "inspector/ELPropInspGrid.h"
#include "inspector/ELPropInspInplace.h"
#include "inspector/ELPropInspInspector.h"
#include "inspector/ELPropInspTables.h"
#include "inspector/ELPropInspTypeEditors.h"
#include "inspector/ELStringsEdit.h"
