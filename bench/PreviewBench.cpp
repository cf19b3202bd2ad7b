// Handheld screen preview: loading, drawing and dithering the Today screen
// from its template, and the whole preview (four skins and the composition).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "editor/document/ThemeDocument.h"
#include "editor/imaging/DibImage.h"
#include "editor/packages/preview/PreviewComposer.h"
#include "editor/packages/preview/PreviewControls.h"
#include "editor/resources/EditorTexts.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace {

// The templates and default theme of the source tree, exported once into a scratch folder.
struct Workspace {
    std::string templates, work;
    std::unique_ptr<mrw::ThemeDocument> theme;

    Workspace() {
        // The preview shows the editor's texts, as in the editor.
        mrw::InstallResourceTable(mrw::EditorResourceTable(), mrw::kEditorResourceLibrary);
        templates = std::string(MRW_SOURCE_DIR) + "/data/program/";
        work = mrw::files::TempFolder() + "mrwpreviewbench/";
        mrw::files::RemoveTree(work);
        mrw::files::CreateFolders(work);
        mrw::files::CreateFolders(work + "lib");
        for (const char* name : {"Default.THM", "DefaultTDY000.gif", "DefaultSTA000.gif"})
            mrw::files::Copy(templates + name, work + "lib/" + name, false);
        theme = mrw::ThemeDocument::OpenHeader(work + "lib/Default.THM");
        theme->LoadProject();
        theme->ExportFiles(work);
        mrw::CopySkinTemplates(templates, work);
    }
    ~Workspace() { mrw::files::RemoveTree(work); }
};

Workspace& Shared() {
    static Workspace w;
    return w;
}

void BM_TodayScreenLoadDrawDither(benchmark::State& state) {
    Workspace& w = Shared();
    mrw::PreviewWindow window;
    mrw::TodayScreenPreview preview(&window, int(state.range(0)));
    for (auto _ : state) {
        const bool ok = preview.LoadTemplate(w.theme.get(), w.work, state.range(0) ? "SkinToday2003.inf" : "SkinToday.inf");
        const mrw::DibImage& shown = preview.GetSkin().Paint();
        if (!ok || shown.IsEmpty()) {
            state.SkipWithError("the Today screen template did not load");
            break;
        }
        benchmark::DoNotOptimize(shown.Bits());
    }
}
BENCHMARK(BM_TodayScreenLoadDrawDither)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ShowThemeAndCompose(benchmark::State& state) {
    Workspace& w = Shared();
    for (auto _ : state) {
        mrw::PreviewWindow window;
        mrw::TodayScreenPreview preview(&window, 0);
        window.SetTarget(&preview);
        preview.ShowTheme(w.theme.get(), w.work);
        preview.OnSkinAction("SWITCH_MENU");
        mrw::DibImage picture;
        mrw::ComposePreview(preview, &window, w.theme->animationBkColour, picture);
        benchmark::DoNotOptimize(picture.Bits());
    }
}
BENCHMARK(BM_ShowThemeAndCompose)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
