#!/usr/bin/python3
"""The fuzz targets of fuzz/, built with clang as a project of their own, each run for
FUZZ_SECONDS (default 20) from its seed corpus with the dictionary. Any crash, sanitizer report,
broken invariant, leak or hang fails; findings go to BUILD/artifacts.
Usage: fuzz.py build BUILD | fuzz.py run BUILD TARGET"""
import os, shutil, subprocess, sys
from pathlib import Path

source = Path(os.environ["CONVERSIONE_SOURCE"]) / "fuzz"
step, build = sys.argv[1], Path(sys.argv[2])
if step == "build":
    subprocess.run(["cmake", "-S", source, "-B", build, "-G", "Ninja", "-DCMAKE_CXX_COMPILER=clang++",
                    "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], check=True)
    sys.exit(subprocess.run(["cmake", "--build", build]).returncode)
target = sys.argv[3]
seconds = os.environ.get("FUZZ_SECONDS") or "20"
# New inputs go to a scratch copy; the committed corpus stays as it is.
work, artifacts = build / "work" / target, build / "artifacts"
shutil.rmtree(work, ignore_errors=True)
work.mkdir(parents=True)
artifacts.mkdir(exist_ok=True)
env = dict(os.environ, UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1",
           ASAN_SYMBOLIZER_PATH="/usr/bin/llvm-symbolizer")
result = subprocess.run([build / target, f"-max_total_time={seconds}", "-max_len=65536", "-timeout=10",
                         f"-dict={source}/numbers.dict", f"-artifact_prefix={artifacts}/{target}-",
                         "-print_final_stats=1", work, source / "corpus" / target],
                        env=env, capture_output=True, text=True, errors="replace")
log = (result.stdout + result.stderr).splitlines()
if result.returncode:
    print(*log[-60:], *(f"finding: {path}" for path in artifacts.glob(f"{target}-*")), sep="\n")
    sys.exit(f"{target}: FAILED")
print(f"{target}:", *(line for line in log if line.startswith("Done ")))
