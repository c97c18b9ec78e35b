// Run before a unit test in Node: Qt for WebAssembly takes the system's locale from the browser's
// navigator, which Node 20 has not. The tests run in the C locale, as on Linux (LC_ALL=C.UTF-8).
if (typeof navigator === "undefined")
    globalThis.navigator = { language: "C", languages: ["C"] };
