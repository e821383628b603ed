#pragma once
// The embedded web browser of the pages.
#include <QWebEngineView>
#include <string>

class CExplorer1 : public QWebEngineView {
  Q_OBJECT
 public:
  using QWebEngineView::QWebEngineView;
  // Shows a local file (a path) or a web address ("http://", "https://").
  void navigate(const std::string& target);
  // What navigate() was last given.
  const std::string& location() const { return location_; }

 private:
  std::string location_;
};
