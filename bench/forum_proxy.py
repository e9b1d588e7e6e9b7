"""The benchmarks' forum is the sample forum the program ships,
share/sample-forum/forum.py; this name is kept for the benchmark scripts."""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "share" / "sample-forum"))
from forum import *  # noqa: E402,F401,F403
from forum import main  # noqa: E402

if __name__ == "__main__":
    sys.exit(main())
