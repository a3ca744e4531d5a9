// The names under which GIMP knows the plug-in.
#pragma once

constexpr char kProcedureName[] = "plug-in-lumiveil";
constexpr char kMenuPath[] = "<Image>/Filters/Light and Shadow";
// The dialog's window role and the name that gimp_ui_init gives the program.
constexpr char kProgramName[] = "lumiveil";
