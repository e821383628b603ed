#pragma once
// "Bild- und Albumauswahl": the albums and images of the project. The page
// has no list and no album controls yet, so the calls below change nothing.
#include "ui/Page.h"

class CTabFiles : public CPage {
  Q_OBJECT
 public:
  using CPage::CPage;
  // Albums may be created for this kind of project or not.
  void setAlbumsAllowed(bool) {}
  // The collection was emptied: the page shows its empty top level.
  void collectionCleared() {}
};
