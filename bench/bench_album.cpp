// The album page with many records: listing an album of 10 000 images,
// scrolling through it, and adding 12-megapixel photos through the page
// (worker thread, progress, listing, then the thumbnails on other threads)
// against addImages alone, with the longest pause of the window's event loop
// meanwhile.
//   bench_album [rows [photos [rounds]]]   default 10000 rows, 100 photos, 3 rounds
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "BenchSupport.h"
#include "state/AppState.h"
#include "controls/TabFilesListBox.h"
#include "ui/Desktop.h"
#include "ui/TabFiles.h"
#include "ui/TabOptions2.h"

namespace {

// Runs the event loop until done() holds; returns the longest time the loop
// did not get to a 5 ms timer, in milliseconds.
double longestPause(const std::function<bool()>& done) {
  QElapsedTimer since;
  since.start();
  double longest = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longest = std::max(longest, double(since.nsecsElapsed()) / 1e6);
    since.restart();
  });
  tick.start(5);
  // The timed overload of processEvents never waits, so it would spin a core
  // that the worker needs; the 5 ms tick wakes this one often enough.
  while (!done()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return longest;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  const int n = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The page's thumbnail cache, emptied before each add so the pictures are made.
  const std::string cache = bench::dataFolder() + "album-cache";
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache));
  QApplication app(argc, argv);
  pv::initialiseImageLibrary();

  pv::AppState state(pv::Environment{pv::executableFolder(), bench::dataFolder() + "home", "", "", "", ""});
  Desktop desktop = systemDesktop();
  const SharedPictures pictures = SharedPictures::load();
  CTabOptions2 settings(state, pictures, desktop);
  Pages pages;
  pages.settings = &settings;
  CTabFiles page(state, pages, pictures, desktop);
  page.resize(1100, 700);
  page.show();
  auto* list = page.findChild<CTabFilesListBox*>("albumList");

  // An album of many images, each with a thumbnail of its own.
  const std::vector<std::string> photos = bench::testPhotos(n);
  {
    std::atomic<bool> abort{false};
    state.items.addImages({{photos[0], pv::fileNameOf(photos[0]), "/"}}, pv::CaptionSources{}, abort);
    const pv::CollectionItem model = [&] {
      pv::CollectionItem m;
      const pv::CollectionItem& first = *state.items.list[0];
      m.name = first.name;
      m.formatName = first.formatName;
      m.width = first.width;
      m.height = first.height;
      m.albumPath = "/Viele";
      return m;
    }();
    state.items.addAlbum("/", "Viele");
    for (int i = 0; i < rows; ++i) {
      auto item = std::make_unique<pv::CollectionItem>(pv::CollectionItem{});
      item->name = pv::format("bild-%05d.jpg", i);
      item->formatName = model.formatName;
      item->width = model.width;
      item->height = model.height;
      item->albumPath = model.albumPath;
      item->thumbnail.reset(FreeImage_Clone(state.items.list[0]->thumbnail.get()));
      state.items.list.push_back(std::move(item));
    }
  }
  double listing = 1e9;
  for (int round = 0; round < rounds; ++round) {
    page.showAlbum("/");
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    page.showAlbum("/Viele");
    list->viewport()->repaint();  // the first screen of rows drawn
    listing = std::min(listing, double(t.nsecsElapsed()) / 1e6);
  }
  // Scrolled a screen at a time, each step painted at once.
  QScrollBar* bar = list->verticalScrollBar();
  double slowestFrame = 0, frames = 0;
  QElapsedTimer whole;
  whole.start();
  for (int y = 0; y <= bar->maximum(); y += list->viewport()->height()) {
    QElapsedTimer t;
    t.start();
    bar->setValue(y);
    list->viewport()->repaint();
    slowestFrame = std::max(slowestFrame, double(t.nsecsElapsed()) / 1e6);
    ++frames;
  }
  const double scrollMs = double(whole.nsecsElapsed()) / 1e6;
  state.items.clear();
  page.collectionCleared();

  // The same photos through the page and through addImages alone.
  std::vector<pv::ImageToAdd> files;
  QStringList paths;
  for (const std::string& p : photos) {
    files.push_back({p, pv::fileNameOf(p), "/"});
    paths << QString::fromStdString(p);
  }
  bench::Usage alone, viaPage;
  double pause = 0;
  for (int round = 0; round < rounds; ++round) {
    state.items.clear();
    bench::Measurement m;
    std::atomic<bool> abort{false};
    state.items.addImages(files, pv::CaptionSources{}, abort);
    bench::keepBest(alone, m.stop());

    state.items.clear();
    page.collectionCleared();
    std::error_code ec;
    std::filesystem::remove_all(cache, ec);
    bench::Measurement m2;
    page.addPaths(paths);
    const double p = longestPause([&] { return !page.worker() && !page.thumbnailsPending(); });
    bench::keepBest(viaPage, m2.stop());
    pause = round == 0 ? p : std::min(pause, p);
    if (state.items.size() != photos.size()) {
      std::fprintf(stderr, "the page added %zu of %zu photos\n", state.items.size(), photos.size());
      return 1;
    }
  }

  std::printf("bench_album: %d rows; %d JPEG photos of %d x %d, %u cores, best of %d\n", rows, n, bench::kPhotoWidth,
              bench::kPhotoHeight, bench::cores(), rounds);
  std::printf("  showAlbum of %d images, first screen drawn: %.1f ms (goal: under 1000)\n", rows, listing);
  std::printf("  scrolling through them a screen at a time: %.0f frames in %.0f ms, slowest %.1f ms\n", frames,
              scrollMs, slowestFrame);
  bench::printUsage("ItemCollection::addImages alone", alone, n);
  bench::printUsage("the page's add (rows, then thumbnails)", viaPage, n);
  std::printf("  time ratio page / addImages: %.2f (goal: at most 1.10); longest event-loop pause %.1f ms "
              "(goal: under 100)\n",
              viaPage.wallSeconds / alone.wallSeconds, pause);
  pv::shutdownImageLibrary();
  return 0;
}
