#pragma once
// "Bild- und Albumauswahl": the albums and images of the project.
#include "ui/Page.h"

class CTabFiles : public CPage {
  Q_OBJECT
 public:
  using CPage::CPage;
  // Albums may be created for this kind of project or not.
  void setAlbumsAllowed(bool allowed) { albumsAllowed_ = allowed; }
  bool albumsAllowed() const { return albumsAllowed_; }
  // The collection was emptied: show its empty top level.
  void collectionCleared() {}

 private:
  bool albumsAllowed_ = true;
};
