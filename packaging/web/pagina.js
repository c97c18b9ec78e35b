// Starts the program in the page (Qt's loader, qtLoad) and tells the user what happens: the
// progress while it loads, a message where it cannot run, and its end, with a way to start it
// again. Once the window is on the page, body[data-pronto] is set. The program's screen is the
// part of the page that shows: the program keeps its window whole and in the middle of it.
"use strict";
(() => {
  const screen = document.getElementById("screen");
  const show = (id) => {
    for (const other of ["caricamento", "senza-webassembly", "errore", "fine"])
      document.getElementById(other).hidden = other !== id;
    // Laid out while the program loads: Qt places its window in the middle of it.
    screen.hidden = id !== null && id !== "caricamento";
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
      then();
    else
      requestAnimationFrame(() => whenWindowShown(then));
  };

  // A click on the page around the program's windows takes no focus: the keyboard stays with the
  // program, and with its message box while one is open.
  screen.addEventListener("mousedown", (event) => {
    if (!event.composedPath().some((e) => e.classList?.contains("qt-window")))
      event.preventDefault();
  });

  // A phone's keyboard covers the lower part of the page: the visual viewport (where the browser
  // has one) is then smaller than the page, and the screen shrinks to the part above the
  // keyboard. Not while the user zooms in: the window then stays where it is, to be looked at.
  const area = screen.parentElement;
  const followView = () => {
    const view = window.visualViewport;
    if (!view || view.scale > 1.01) {
      screen.style.top = screen.style.height = "";
      return;
    }
    const page = area.getBoundingClientRect();
    const top = Math.max(page.top, view.offsetTop);
    const bottom = Math.min(page.bottom, view.offsetTop + view.height);
    screen.style.top = `${Math.max(top - page.top, 0)}px`;
    screen.style.height = `${Math.max(bottom - top, 0)}px`;
  };
  window.visualViewport?.addEventListener("resize", followView);
  window.visualViewport?.addEventListener("scroll", followView);
  window.addEventListener("resize", followView);
  followView();

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
        whenWindowShown(() => document.body.dataset.pronto = "1");
      },
      // The window is gone: the keyboard (and a screen reader) goes to the button that starts
      // it again, which carries what the page says. Once the key that ended the program is done
      // with: the Enter of Chiudi would otherwise press the button too.
      onExit: (status) => {
        delete document.body.dataset.pronto;
        const id = status.crashed ? "errore" : "fine";
        show(id);
        setTimeout(() => document.querySelector(`#${id} button`).focus());
      },
    },
  }).catch((error) => {
    console.error(error);
    show("errore");
  });
})();
