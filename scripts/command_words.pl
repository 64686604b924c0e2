#!/usr/bin/perl
# Prints the words that stand in command position in the bash files named, one per line: a
# small reader of bash's quoting, substitutions, arithmetic, tests, case patterns and
# here-documents, enough for scripts/check-tools to know which programs the scripts run.
use strict;
use warnings;

my %prefix = map { $_ => 1 } qw(then do else elif if while until exec time ! env command coproc nice);
for my $file (@ARGV) {
  open(my $fh, '<', $file) or die "$file: $!";
  local $/;
  my $s = <$fh>;
  close $fh;
  # Here-documents are data.
  $s =~ s/<<-?\s*(['"]?)(\w+)\1[^\n]*\n.*?\n\s*\2\n/\n/gs;
  my $i = 0;
  my $n = length $s;
  my $at_command = 1;
  my @stack = ('code');   # code | dq
  my $case_patterns = 0;  # after "case ... in" or ";;", before the pattern's ")"
  while ($i < $n) {
    my $c = substr($s, $i, 1);
    my $top = $stack[-1];
    if ($top eq 'dq') {
      if ($c eq '\\') { $i += 2; next }
      if ($c eq '"') { pop @stack; $i++; next }
      if (substr($s, $i, 3) eq '$((') { $i = skip_parens($s, $i + 1); next }
      if (substr($s, $i, 2) eq '$(') { push @stack, 'code'; $at_command = 1; $i += 2; next }
      $i++;
      next;
    }
    if ($c eq '\\') { $i += 2; next }
    if ($c eq '#' && ($i == 0 || substr($s, $i - 1, 1) =~ /\s/)) { $i = index($s, "\n", $i); $i = $n if $i < 0; next }
    if ($c eq "'") { my $e = index($s, "'", $i + 1); $i = $e < 0 ? $n : $e + 1; $at_command = 0; next }
    if ($c eq '"') { push @stack, 'dq'; $at_command = 0; $i++; next }
    if (substr($s, $i, 3) eq '$((' ) { $i = skip_parens($s, $i + 1); $at_command = 0; next }
    if (substr($s, $i, 2) eq '((' && $at_command) { $i = skip_parens($s, $i); next }
    if (substr($s, $i, 2) eq '[[') { my $e = index($s, ']]', $i); $i = $e < 0 ? $n : $e + 2; $at_command = 0; next }
    if (substr($s, $i, 2) eq '$(' || substr($s, $i, 2) eq '<(' || substr($s, $i, 2) eq '>(') { push @stack, 'code'; $at_command = 1; $i += 2; next }
    if (substr($s, $i, 2) eq '${') { my $e = index($s, '}', $i); $i = $e < 0 ? $n : $e + 1; $at_command = 0; next }
    if ($c eq ')') {
      if ($case_patterns) { $case_patterns = 0; $at_command = 1 }
      elsif (@stack > 1) { pop @stack }
      $i++;
      next;
    }
    if ($c =~ /[;|&(\n`{}]/) {
      $case_patterns = 1 if substr($s, $i, 2) eq ';;';
      $at_command = 1;
      $i++;
      next;
    }
    if ($c =~ /\s/ || $c =~ /[<>]/) { $i++; next }
    # A word: up to the next metacharacter; quotes inside it are part of it.
    my $start = $i;
    while ($i < $n && substr($s, $i, 1) !~ /[\s;|&()<>`]/) {
      my $d = substr($s, $i, 1);
      if ($d eq "'") { my $e = index($s, "'", $i + 1); $i = $e < 0 ? $n : $e + 1; next }
      if ($d eq '"') { $i = skip_dq($s, $i); next }
      if ($d eq '\\') { $i += 2; next }
      if (substr($s, $i, 2) eq '$(') { $i = skip_parens($s, $i + 1); next }
      if (substr($s, $i, 2) eq '${') { my $e = index($s, '}', $i); $i = $e < 0 ? $n : $e + 1; next }
      $i++;
    }
    my $word = substr($s, $start, $i - $start);
    if ($word =~ /^[A-Za-z_][A-Za-z0-9_]*=\(?$/ && substr($s, $i, 1) eq '(') { $i = skip_parens($s, $i); next }
    next if $case_patterns;
    if ($word eq 'case') { $at_command = 0; $i = skip_case_head($s, $i, \$case_patterns); next }
    next unless $at_command;
    next if $word =~ /^[A-Za-z_][A-Za-z0-9_]*(\[[^\]]*\])?\+?=/;   # assignment before a command
    if ($word eq 'coproc' && substr($s, $i) =~ /^(\s+\w+)\s*\{/) { $i += length $1; next }
    next if $prefix{$word};
    $at_command = 0;
    print "$word\n" if $word =~ /^[A-Za-z][A-Za-z0-9_.+-]*$/;
  }
}

sub skip_parens {
  my ($s, $i) = @_;
  my $depth = 0;
  for (; $i < length $s; $i++) {
    my $c = substr($s, $i, 1);
    $depth++ if $c eq '(';
    if ($c eq ')') { $depth--; return $i + 1 if $depth == 0 }
  }
  return length $s;
}

sub skip_dq {
  my ($s, $i) = @_;
  for ($i++; $i < length $s; $i++) {
    my $c = substr($s, $i, 1);
    if ($c eq '\\') { $i++; next }
    if (substr($s, $i, 2) eq '$(') { $i = skip_parens($s, $i + 1) - 1; next }
    return $i + 1 if $c eq '"';
  }
  return length $s;
}

# "case WORD in": the words up to "in" are not commands; the patterns come after it.
sub skip_case_head {
  my ($s, $i, $patterns) = @_;
  if (substr($s, $i) =~ /^(.*?\bin\b)/s) { $$patterns = 1; return $i + length $1 }
  return $i;
}
