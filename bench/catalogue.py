"""Catalogue benchmark: listing, resetting and finding macros in catalogues of 1,000 and 10,000."""
import os
import subprocess
import sys

build = sys.argv[1]
result = subprocess.run([os.path.join(build, "bench", "catalogue_bench")], check=True)
sys.exit(result.returncode)
