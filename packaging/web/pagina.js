// Starts the program in the page (Qt's loader, qtLoad) and tells the user what happens: the
// progress while it loads, a message where it cannot run, and its end, with a way to start it
// again. Once the window is on the page, the keyboard goes to it, and stays with the program's
// top window, and body[data-pronto] is set.
"use strict";
(() => {
  const screen = document.getElementById("screen");
  const show = (id) => {
    for (const other of ["caricamento", "senza-webassembly", "errore", "fine"])
      document.getElementById(other).hidden = other !== id;
    screen.hidden = id !== null;
  };
  for (const button of document.querySelectorAll(".riavvia"))
    button.addEventListener("click", () => location.reload());

  // Qt keeps its elements in a shadow root inside the screen element.
  const qtRoot = () => {
    for (const element of screen.querySelectorAll("*"))
      if (element.shadowRoot)
        return element.shadowRoot;
    return null;
  };
  const whenWindowShown = (then) => {
    const canvas = qtRoot()?.querySelector("canvas.qt-window-content");
    if (canvas)
      then(canvas);
    else
      requestAnimationFrame(() => whenWindowShown(then));
  };

  // The keyboard stays with the program's top window, as on a desktop: a click on the page around
  // the window takes no focus, and the window under an open message box gives it to the box.
  const topCanvas = (root) => {
    const shown = [...root.querySelectorAll(".qt-window")].filter((w) => w.style.display !== "none");
    shown.sort((a, b) => (Number(a.style.zIndex) || 0) - (Number(b.style.zIndex) || 0));
    return shown.at(-1)?.querySelector("canvas.qt-window-content");
  };
  const keepKeyboard = (root) => {
    screen.addEventListener("mousedown", (event) => {
      if (!event.composedPath().some((e) => e.classList?.contains("qt-window")))
        event.preventDefault();
    });
    root.addEventListener("focusin", (event) => {
      const top = topCanvas(root);
      if (top && event.target !== top && event.target.tagName === "CANVAS")
        top.focus();
    });
  };

  if (typeof WebAssembly !== "object") {
    show("senza-webassembly");
    return;
  }
  show("caricamento");
  qtLoad({
    qt: {
      containerElements: [screen],
      entryFunction: window.conversione_entry,
      onLoaded: () => {
        show(null);
        whenWindowShown((canvas) => {
          // The window is active; the keyboard goes where Qt put the focus, "Input".
          canvas.focus();
          keepKeyboard(qtRoot());
          document.body.dataset.pronto = "1";
        });
      },
      onExit: (status) => show(status.crashed ? "errore" : "fine"),
    },
  }).catch((error) => {
    console.error(error);
    show("errore");
  });
})();
