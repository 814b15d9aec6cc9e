// The pictures' library is made of its Qt resources; this file gives it a source of its own.
namespace res {
int PicturesLibraryAnchor() {
  return 0;
}
}  // namespace res
