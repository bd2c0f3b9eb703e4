// Library functions of Emscripten that SDL's audio calls from the page
// (Emscripten's own SDL port adds them the same way); qt_page_audio pulls
// them in.
mergeInto(LibraryManager.library, {
  qt_page_audio__deps: ['$autoResumeAudioContext', '$dynCall'],
  qt_page_audio: function () {},
});
