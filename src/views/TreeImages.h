// The view tree's image list (139): group pictures in closed/open pairs 0...15, view pictures from
// 16. An index without a picture shows the first of its kind.
#pragma once

#include <QIcon>

namespace views {

QIcon TreeImage(int index);
// How many pictures there are (the view pictures end there).
int TreeImageCount();

}  // namespace views
