"""Drawing and sound makers of the Torvaly resource folder (run through tools/assets/generate.sh)."""
