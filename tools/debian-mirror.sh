# Sourced by the scripts that fetch from Debian: configured_mirror prints the first bookworm
# mirror of apt's own configuration, one-line or deb822 format.
configured_mirror() {
  {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /\]$/) { if ($(i + 1) == "bookworm") print $i; break } }'
    cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
      awk 'BEGIN { RS = ""; FS = "\n" }
           { uri = ""; ok = 0
             for (i = 1; i <= NF; i++) {
               if ($i ~ /^URIs:/) { split($i, u, " "); uri = u[2] }
               if ($i ~ /^Suites:/) { n = split($i, s, " "); for (j = 2; j <= n; j++) if (s[j] == "bookworm") ok = 1 }
             }
             if (ok && uri != "") print uri }'
  } | head -n 1 || true  # a machine with only one of the two formats has no file of the other
}
