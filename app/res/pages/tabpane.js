// The tab pane: every element of class "tab-pane" shows one of its "tab-page" children at a
// time, with a row of tabs made from each page's first h2 heading.
function corvaneSetupTabPanes() {
  var divs = document.getElementsByTagName("div");
  for (var i = 0; i < divs.length; i++) {
    if (divs[i].className == "tab-pane") {
      corvaneSetupTabPane(divs[i]);
    }
  }
}

function corvaneSetupTabPane(pane) {
  var pages = [];
  for (var node = pane.firstChild; node != null; node = node.nextSibling) {
    if (node.nodeType == 1 && node.className == "tab-page") {
      pages.push(node);
    }
  }
  var row = document.createElement("div");
  row.className = "tab-row";
  pane.insertBefore(row, pane.firstChild);
  var tabs = [];
  for (var i = 0; i < pages.length; i++) {
    var heading = pages[i].getElementsByTagName("h2")[0];
    var tab = document.createElement("span");
    tab.className = "tab";
    tab.id = "tab_" + pages[i].id;
    tab.innerHTML = heading ? heading.innerHTML : pages[i].id;
    tab.onclick = corvaneSelector(pages, tabs, i);
    row.appendChild(tab);
    tabs.push(tab);
  }
  corvaneSelect(pages, tabs, 0);
}

function corvaneSelector(pages, tabs, index) {
  return function () { corvaneSelect(pages, tabs, index); };
}

function corvaneSelect(pages, tabs, index) {
  for (var i = 0; i < pages.length; i++) {
    pages[i].style.display = i == index ? "block" : "none";
    tabs[i].className = i == index ? "tab selected" : "tab";
  }
}
