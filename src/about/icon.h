#pragma once
// The program's icon: the installed theme's when there is one, else the copy
// built into the program (the same picture at the sizes a desktop asks for).
#include <QIcon>
#include <QImage>

namespace about {

QIcon ProgramIcon();
// The picture at exactly `px` square pixels (the editor's button face).
QImage ProgramImage(int px);

}  // namespace about
