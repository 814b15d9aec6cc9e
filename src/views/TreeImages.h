// The view tree's image list (139): group pictures in closed/open pairs 0...15, view pictures from
// 16. An index without a picture shows the first of its kind.
#pragma once

#include <QIcon>

namespace views {

QIcon TreeImage(int index);
// The name a picture is listed and read out by in the icon choices, saying what it shows: the
// group pairs (closed and open picture alike) "Folder", "Folder, blue mark", ...; the view
// pictures from 16 "Device servers", "Print servers", ...
QString TreeImageName(int index);
// How many pictures there are (the view pictures end there).
int TreeImageCount();

}  // namespace views
