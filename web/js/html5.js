// Old Internet Explorer (before 9) does not style elements it does not know: creating each once makes the
// parser treat header, nav, section and footer as ordinary blocks.
(function () {
  var names = ["header", "nav", "section", "article", "aside", "footer", "figure", "main", "h7"];
  for (var i = 0; i < names.length; i++) {
    document.createElement(names[i]);
  }
})();
